#pragma once

#include "result.h"

#include <functional>
#include <string>
#include <string_view>

namespace verbolt {

/// Replaces a file's whole content so that a reader sees either the old or the new bytes:
/// a temporary ".NAME.XXXXXX" beside it, fsync, rename. Permission bits (and the owner where
/// permitted) are kept, a symbolic link is followed and stays a link, and a file with
/// several hard links is rewritten in place so the links stay shared. On failure the file
/// is untouched and no temporary file remains (the in-place rewrite of a hard-linked file
/// is the one exception). A file that exists but is not writable is refused with EACCES,
/// although its directory would allow replacing it.
class AtomicFile
{
public:
    /// Writes `bytes` to `path`. A path that is a link to a file outside `folder` and its
    /// subfolders (a dangling link too) is refused, and nothing is written.
    static Result write(const std::string &path, std::string_view bytes, const std::string &folder);

    /// Points in a write where a test can make it fail.
    enum class Stage
    {
        AfterPartialWrite, // half of the bytes written
        BeforeSync,
        BeforeRename // not reached by the in-place rewrite
    };
    /// Test seam: `hook` is asked at each stage and fails the write with the errno it returns
    /// (0 goes on). An empty function removes it. Not thread-safe.
    static void setFaultHook(std::function<int(Stage)> hook);
};

} // namespace verbolt
