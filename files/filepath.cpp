#include "filepath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace verbolt {

namespace {

// realpath() of a folder, or empty when it cannot be resolved.
std::string resolved(const std::string &folder)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

} // namespace

std::string FilePath::folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FilePath::nameOf(const std::string &path)
{
    return path.substr(path.rfind('/') + 1);
}

int FilePath::followLinks(std::string &path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) == target.size())
            return ENAMETOOLONG;
        target.resize(static_cast<std::size_t>(n));
        path = target[0] == '/' ? target : folderOf(path) + "/" + target;
    }
    return ELOOP;
}

bool FilePath::staysIn(const std::string &target, const std::string &folder)
{
    return folderStaysIn(folderOf(target), folder);
}

bool FilePath::folderStaysIn(const std::string &dir, const std::string &folder)
{
    const std::string inner = resolved(dir);
    const std::string outer = resolved(folder);
    if (inner.empty() || outer.empty())
        return false;
    if (outer == "/")
        return true;
    return inner == outer ||
           (inner.size() > outer.size() && inner.starts_with(outer) && inner[outer.size()] == '/');
}

bool FilePath::linksStayIn(const std::string &path, const std::string &folder)
{
    std::string target = path;
    return followLinks(target) == 0 && staysIn(target, folder);
}

bool FilePath::sameFile(const std::string &a, const std::string &b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace verbolt
