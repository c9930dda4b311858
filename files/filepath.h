#pragma once

#include <string>

namespace verbolt {

/// Names of paths on disk: their folder and name, and where symbolic links lead.
class FilePath
{
public:
    /// The folder of `path` without a trailing "/": "." for a bare name, "/" at the root.
    static std::string folderOf(const std::string &path);
    /// The last component of `path`.
    static std::string nameOf(const std::string &path);

    /// Follows the symbolic links of `path` to the path they finally name, which need not
    /// exist: writing through a dangling link would create it. 0, or the errno of a failure.
    static int followLinks(std::string &path);

    /// Whether the folder of `target` (a path whose links are followed), resolved fully, is
    /// `folder` (resolved the same way) or one of its subfolders. A folder that cannot be
    /// resolved counts as outside: what it is cannot be known, so nothing goes there.
    static bool staysIn(const std::string &target, const std::string &folder);

    /// The same for the folder `dir` itself, its links followed.
    static bool folderStaysIn(const std::string &dir, const std::string &folder);

    /// Whether `path`, its links followed, names a file in `folder` or its subfolders: the
    /// rule for what may be read as well as written. False when the links cannot be followed.
    static bool linksStayIn(const std::string &path, const std::string &folder);

    /// Whether `a` and `b`, their links followed, are one file (the same device and inode):
    /// two names that would overwrite each other's writes. False when either is missing.
    static bool sameFile(const std::string &a, const std::string &b);
};

} // namespace verbolt
