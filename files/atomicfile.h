#pragma once

#include "filesystem.h"
#include "result.h"

#include <string>
#include <string_view>

namespace verbolt {

/// Replaces a file's whole content so that a reader sees either the old or the new bytes:
/// a temporary ".NAME.XXXXXX" beside it, fsync, rename. Permission bits (and the owner where
/// permitted) are kept, a symbolic link is followed and stays a link, and a file with
/// several hard links is rewritten in place so the links stay shared, a synced copy of its
/// old bytes ".NAME.copy" beside it until the rewrite is synced, so that tidy() can undo
/// the half-done rewrite of a killed writer. On failure the file is untouched and no temporary file
/// remains. A file that exists but is not writable is refused with EACCES, although its directory
/// would allow replacing it. The folder is opened once and everything after works relative to it,
/// so swapping a folder for a link meanwhile cannot redirect the write.
class AtomicFile
{
public:
    /// Writes `bytes` to `path`. A path that is a link to a file outside `folder` and its
    /// subfolders (a dangling link too) is refused, and nothing is written.
    [[nodiscard]] static Result write(const std::string &path, std::string_view bytes,
                                      const std::string &folder,
                                      FileSystem &fs = FileSystem::disk());

    /// What a killed writer left in the folder `dir`: its temporary files of label files
    /// (".NAME.XXXXXX", NAME ending in ".lan" or ".cmt") go, and a hard-linked file's
    /// leftover copy is written back in place. Only under the writers' lock of `dir`.
    [[nodiscard]] static Result tidy(const std::string &dir, FileSystem &fs = FileSystem::disk());
};

} // namespace verbolt
