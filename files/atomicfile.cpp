#include "atomicfile.h"

#include "filedescriptor.h"
#include "filepath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace verbolt {

namespace {

int writeAll(FileSystem &fs, int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = fs.write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Flushes the written file to disk (unless `err` already failed the write) and closes it:
// close() has the last word on a write; returns the first error.
int syncAndClose(FileSystem &fs, FileDescriptor &fd, int err)
{
    if (!err && fs.fsync(fd.get()) != 0)
        err = errno;
    if (fd.close() != 0 && !err)
        err = errno;
    return err;
}

// A name no other file of the folder has yet: ".NAME." and six letters or digits, so it
// never ends in ".lan" and tidy() can tell it for Verbolt's own.
std::string temporaryName(const std::string &name, unsigned attempt)
{
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t x = static_cast<std::uint64_t>(now.tv_nsec) ^
                      (static_cast<std::uint64_t>(::getpid()) << 32) ^
                      (attempt * 0x9E3779B97F4A7C15u);
    std::string temp(1, '.');
    temp.append(name, 0, std::min<std::size_t>(name.size(), NAME_MAX - 8)).append(1, '.');
    for (int i = 0; i < 6; ++i) {
        x = x * 6364136223846793005u + 1442695040888963407u;
        temp.push_back(kChars[(x >> 33) % (sizeof kChars - 1)]);
    }
    return temp;
}

// Creates the temporary file in `dir`, never through a link. A new file gets 0666 less the
// umask from the system itself: the process umask is never changed.
FileDescriptor createTemporary(FileSystem &fs, int dir, const std::string &name, std::string &temp,
                               bool exists)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = temporaryName(name, attempt);
        FileDescriptor fd(fs.openAt(dir, temp.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                                    exists ? 0600 : 0666));
        if (fd || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return FileDescriptor();
}

// The copy a hard-linked file's in-place rewrite leaves until it is done.
std::string copyName(const std::string &name)
{
    std::string copy(1, '.');
    return copy.append(name, 0, std::min<std::size_t>(name.size(), NAME_MAX - 6)).append(".copy");
}

int writeInPlace(FileSystem &fs, int dir, const std::string &name, std::string_view bytes)
{
    FileDescriptor fd(fs.openAt(dir, name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return errno;
    int err = writeAll(fs, fd.get(), bytes);
    if (!err && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0)
        err = errno;
    return syncAndClose(fs, fd, err);
}

int readAll(int dir, const std::string &name, std::string &bytes)
{
    FileDescriptor in(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!in)
        return errno;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// Writes `bytes` to a fresh temporary file of `dir`, synced, and renames it to `to`.
int writeAndRename(FileSystem &fs, int dir, const std::string &name, const std::string &to,
                   std::string_view bytes, const struct stat *old)
{
    std::string temp;
    FileDescriptor fd = createTemporary(fs, dir, name, temp, old != nullptr);
    if (!fd)
        return errno;
    int err = writeAll(fs, fd.get(), bytes);
    if (!err && old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
        // The owner where permitted; else at least the group, when we belong to it.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
            const int e = errno;
            if (e != EPERM)
                err = e;
            else if (::fchown(fd.get(), static_cast<uid_t>(-1), old->st_gid) != 0 && errno != EPERM)
                err = errno;
        }
    }
    // After fchown, which may clear set-id bits.
    if (!err && old && ::fchmod(fd.get(), old->st_mode & 07777) != 0)
        err = errno;
    err = syncAndClose(fs, fd, err);
    if (!err && fs.renameAt(dir, temp.c_str(), dir, to.c_str()) != 0)
        err = errno;
    if (err)
        ::unlinkat(dir, temp.c_str(), 0);
    // The directory is not synced: the data was, before the rename, so a crash leaves the
    // old or the new file, never a torn one, and a sync per file would double a save's cost.
    return err;
}

// Keeps the links shared. A synced full copy of the old bytes goes beside the file first and
// stays until the rewrite is synced: a failure puts them back at once, a crash leaves the
// copy for tidy() to put back.
int rewriteInPlace(FileSystem &fs, int dir, const std::string &name, std::string_view bytes,
                   const struct stat &old)
{
    std::string oldBytes;
    if (const int err = readAll(dir, name, oldBytes))
        return err;
    const std::string copy = copyName(name);
    if (const int err = writeAndRename(fs, dir, name, copy, oldBytes, &old))
        return err;
    const int err = writeInPlace(fs, dir, name, bytes);
    if (err && writeInPlace(fs, dir, name, oldBytes) != 0)
        return err; // the copy stays for tidy()
    ::unlinkat(dir, copy.c_str(), 0);
    return err;
}

// Whether the folder open as `dir` (found at `path`) is still `folder` or inside it: a swap
// of a folder for a link between the check and now must not redirect the write.
bool openedInside(int dir, const std::string &path, const std::string &folder)
{
    if (FilePath::folderStaysIn("/proc/self/fd/" + std::to_string(dir), folder))
        return true;
    // Without /proc: the path, resolved now, must name the very folder that is open.
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::access("/proc/self/fd", F_OK) != 0 && FilePath::folderStaysIn(path, folder) &&
           ::fstat(dir, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool isLabelFileName(std::string_view name)
{
    if (name.size() < 5)
        return false;
    std::string ext(name.substr(name.size() - 4));
    for (char &c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".lan" || ext == ".cmt";
}

bool isTemporaryOfLabelFile(std::string_view entry)
{
    // ".NAME.XXXXXX" where NAME ends in ".lan" or ".cmt".
    if (entry.size() < 1 + 4 + 1 + 6 + 1 || entry[0] != '.' || entry[entry.size() - 7] != '.')
        return false;
    for (const char c : entry.substr(entry.size() - 6)) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return isLabelFileName(entry.substr(1, entry.size() - 8));
}

} // namespace

Result AtomicFile::write(const std::string &path, std::string_view bytes, const std::string &folder,
                         FileSystem &fs)
{
    // A link is followed to the file it names, and the link itself stays, but only while
    // that file is in `folder`: a folder from elsewhere must not reach a user's other files.
    std::string target = path;
    if (const int err = FilePath::followLinks(target))
        return Result::failed(Result::Failure::Write, err, path);
    // A folder that is not there says so; one that cannot be resolved is never written to.
    if (::access(FilePath::folderOf(target).c_str(), F_OK) != 0)
        return Result::failed(Result::Failure::Write, errno, path);
    if (!FilePath::staysIn(target, folder))
        return Result::failed(Result::Failure::LinksOutside, 0, path);

    // From here on everything is relative to the folder as opened, and is checked again.
    const std::string dirPath = FilePath::folderOf(target);
    const std::string name = FilePath::nameOf(target);
    FileDescriptor dir(::open(dirPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return Result::failed(Result::Failure::Write, errno, path);
    if (!openedInside(dir.get(), dirPath, folder))
        return Result::failed(Result::Failure::LinksOutside, 0, path);

    struct stat st
    {
    };
    const bool exists = ::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Result::failed(Result::Failure::Write, errno, path);
    if (exists) {
        // A link here now was put in place since the path was resolved.
        if (S_ISLNK(st.st_mode))
            return Result::failed(Result::Failure::LinksOutside, 0, path);
        if (!S_ISREG(st.st_mode))
            return Result::failed(Result::Failure::Write, S_ISDIR(st.st_mode) ? EISDIR : EINVAL,
                                  path);
        // The rename would replace a read-only file; the user made it read-only to keep it.
        if (::faccessat(dir.get(), name.c_str(), W_OK, AT_EACCESS) != 0)
            return Result::failed(Result::Failure::Write, errno, path);
    }
    const int err = exists && st.st_nlink > 1
                        ? rewriteInPlace(fs, dir.get(), name, bytes, st)
                        : writeAndRename(fs, dir.get(), name, name, bytes, exists ? &st : nullptr);
    return err ? Result::failed(Result::Failure::Write, err, path) : Result::done(path);
}

Result AtomicFile::tidy(const std::string &dirPath, FileSystem &fs)
{
    FileDescriptor dir(::open(dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return Result::failed(Result::Failure::List, errno, dirPath);
    DIR *listing = ::fdopendir(::dup(dir.get()));
    if (!listing)
        return Result::failed(Result::Failure::List, errno, dirPath);
    std::vector<std::string> stale;
    std::vector<std::string> copies;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string_view n = entry->d_name;
        if (isTemporaryOfLabelFile(n))
            stale.emplace_back(n);
        else if (n.size() > 6 && n[0] == '.' && n.ends_with(".copy") &&
                 isLabelFileName(n.substr(1, n.size() - 6)))
            copies.emplace_back(n);
    }
    ::closedir(listing);
    for (const std::string &n : stale)
        ::unlinkat(dir.get(), n.c_str(), 0);
    for (const std::string &copy : copies) {
        const std::string name = copy.substr(1, copy.size() - 6);
        struct stat st
        {
        };
        if (::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue; // not a copy of ours
        std::string bytes;
        if (const int err = readAll(dir.get(), copy, bytes))
            return Result::failed(Result::Failure::Read, err, dirPath + "/" + copy);
        if (const int err = writeInPlace(fs, dir.get(), name, bytes))
            return Result::failed(Result::Failure::Write, err, dirPath + "/" + name);
        ::unlinkat(dir.get(), copy.c_str(), 0);
    }
    return Result::done(dirPath);
}

} // namespace verbolt
