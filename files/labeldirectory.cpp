#include "labeldirectory.h"

#include "asciifold.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace verbolt {

namespace {

struct DirCloser
{
    void operator()(DIR *d) const { ::closedir(d); }
};

// readdir() with its end told apart from a failure: nullptr with `error` 0 at the end.
const dirent *nextEntry(FileSystem &fs, DIR *d, int &error)
{
    errno = 0;
    const dirent *e = fs.readDirectory(d);
    error = e ? 0 : errno;
    return e;
}

} // namespace

std::string LabelDirectory::workingDirectory()
{
    std::string buf(4096, '\0');
    while (!::getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE)
            return {};
        buf.resize(buf.size() * 2);
    }
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return asDirectory(std::move(buf));
}

std::string LabelDirectory::asDirectory(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string LabelDirectory::shown(const std::string &dir)
{
    return dir.size() > 1 && dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir;
}

bool LabelDirectory::hasLanExtension(std::string_view name)
{
    return name.size() >= 4 && AsciiFold::equal(name.substr(name.size() - 4), ".lan");
}

bool LabelDirectory::lessByName(std::string_view a, std::string_view b)
{
    if (AsciiFold::less(a, b))
        return true;
    if (AsciiFold::less(b, a))
        return false;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::string LabelDirectory::unreadableMessage(const std::string &dir)
{
    return "Unable to read the folder " + shown(dir) + ".";
}

Listing LabelDirectory::list(const std::string &dir, FileSystem &fs)
{
    Listing listing;
    std::unique_ptr<DIR, DirCloser> d(fs.openDirectory(dir.c_str()));
    if (!d) {
        listing.result = Result::failed(Result::Failure::List, errno, dir);
        return listing;
    }
    std::vector<LabelFileEntry> found;
    int error = 0;
    while (const dirent *e = nextEntry(fs, d.get(), error)) {
        const std::string_view name = e->d_name;
        if (!hasLanExtension(name))
            continue;
        const std::string path = dir + std::string(name);
        struct stat st
        {
        };
        LabelFileEntry entry{std::string(name), LabelFileEntry::Kind::File};
        if (::stat(path.c_str(), &st) == 0) {
            if (S_ISREG(st.st_mode))
                entry.kind = LabelFileEntry::Kind::File;
            else if (S_ISDIR(st.st_mode))
                entry.kind = LabelFileEntry::Kind::Directory;
            else
                continue; // FIFO, socket, device: opening one could block
        } else {
            struct stat lst
            {
            };
            if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode))
                entry.kind = LabelFileEntry::Kind::Dangling;
            else
                continue; // vanished since readdir
        }
        found.push_back(std::move(entry));
    }
    if (error)
        listing.result = Result::failed(Result::Failure::List, error, dir);
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return lessByName(a.name, b.name); });
    for (auto &e : found)
        if (listing.entries.empty() || !AsciiFold::equal(listing.entries.back().name, e.name))
            listing.entries.push_back(std::move(e));
    return listing;
}

std::string LabelDirectory::findName(const std::string &dir, std::string_view name)
{
    struct stat st
    {
    };
    const std::string exact = dir + std::string(name);
    if (::lstat(exact.c_str(), &st) == 0)
        return std::string(name);
    std::unique_ptr<DIR, DirCloser> d(::opendir(dir.c_str()));
    if (!d)
        return {};
    std::string best;
    while (const dirent *e = ::readdir(d.get())) {
        const std::string_view n = e->d_name;
        if (AsciiFold::equal(n, name) && (best.empty() || lessByName(n, best)))
            best = std::string(n);
    }
    return best;
}

std::string LabelDirectory::resolve(const std::string &dir, const std::string &nameOnDisk,
                                    std::string_view fallbackName)
{
    struct stat st
    {
    };
    if (!nameOnDisk.empty() && ::lstat((dir + nameOnDisk).c_str(), &st) == 0)
        return dir + nameOnDisk;
    const std::string found = findName(dir, fallbackName);
    return dir + (found.empty() ? std::string(fallbackName) : found);
}

Resolved LabelDirectory::resolveExisting(const std::string &dir, const std::string &nameOnDisk,
                                         std::string_view fallbackName)
{
    struct stat st
    {
    };
    if (!nameOnDisk.empty() && ::lstat((dir + nameOnDisk).c_str(), &st) == 0)
        return {Result::done(dir + nameOnDisk), dir + nameOnDisk};
    // A file renamed only in letter case is still the column's file.
    std::string found = findName(dir, nameOnDisk.empty() ? fallbackName : nameOnDisk);
    if (!found.empty())
        return {Result::done(dir + found), dir + found};
    if (!nameOnDisk.empty())
        return {Result::failed(Result::Failure::Gone, ENOENT, dir + nameOnDisk), {}};
    return {Result::done(dir + std::string(fallbackName)), dir + std::string(fallbackName)};
}

} // namespace verbolt
