#pragma once

#include "writeresult.h"

#include <string>
#include <string_view>

namespace verbolt {

/// Replaces a file's whole content so that a reader sees either the old or the new bytes:
/// a temporary ".NAME.XXXXXX" beside it, fsync, rename. Permission bits (and the owner where
/// permitted) are kept, a symbolic link is followed and stays a link, and a file with
/// several hard links is rewritten in place so the links stay shared. On failure the file
/// is untouched and no temporary file remains.
class AtomicFile
{
public:
    static WriteResult write(const std::string &path, std::string_view bytes);
};

} // namespace verbolt
