#pragma once

#include "bytebuffer.h"
#include "result.h"

#include <functional>
#include <string>

namespace verbolt {

/// What reading a whole file gave: how it went, and its bytes when it did.
struct FileContent
{
    Result result;
    std::string bytes;
};

/// The same, in a ByteBuffer: for files that are kept, such as the label files of a load.
struct FileBuffer
{
    Result result;
    ByteBuffer bytes;
};

/// Reads files whole with read(): never memory-mapped, so a file that another program
/// truncates meanwhile cannot fault the process. Only regular files are read; a FIFO or a
/// device is refused without blocking, and a directory reads as a failure.
class FileReader
{
public:
    static FileContent read(const std::string &path);
    /// With `between`, a large file is read in pieces and `between` is called after each, so
    /// a window can repaint while hundreds of megabytes come in.
    static FileBuffer readBuffer(const std::string &path,
                                 const std::function<void()> &between = {});
    /// Reads into `out`, reusing its memory.
    static Result readInto(const std::string &path, std::string &out);
    static Result readInto(const std::string &path, ByteBuffer &out);
};

} // namespace verbolt
