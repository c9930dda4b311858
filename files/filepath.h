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
    /// resolved counts as inside: writing there fails on its own.
    static bool staysIn(const std::string &target, const std::string &folder);
};

} // namespace verbolt
