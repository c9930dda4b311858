#include "filereader.h"

#include "filedescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verbolt {

namespace {

// Bytes one read() asks for when the caller wants to run between pieces: a few
// milliseconds of copying.
constexpr std::size_t kPiece = std::size_t(8) << 20;

// Reads the file at `path` into a buffer that `resize(n)` makes n bytes long (returning its
// bytes), calling `between` (if any) after each piece; returns 0 or the errno of the failure.
template <class Resize>
int readWhole(const std::string &path, Resize &&resize, const std::function<void()> &between = {})
{
    // O_NONBLOCK: opening a FIFO that slipped in after the directory scan must not hang.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return errno;
    struct stat st
    {
    };
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    // One byte past the size fstat gave, so the end shows without a second buffer; a file
    // that grows meanwhile is read on into a larger one.
    std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096;
    char *data = resize(size);
    std::size_t used = 0;
    for (;;) {
        if (used == size)
            data = resize(size *= 2);
        const std::size_t want = between ? std::min(size - used, kPiece) : size - used;
        const ssize_t got = ::read(fd.get(), data + used, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            resize(0);
            return err;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
        if (between)
            between();
    }
    resize(used);
    return 0;
}

Result outcome(int error, const std::string &path)
{
    return error ? Result::failed(Result::Failure::Read, error, path) : Result::done(path);
}

} // namespace

FileContent FileReader::read(const std::string &path)
{
    std::string bytes;
    Result result = readInto(path, bytes);
    return {std::move(result), std::move(bytes)};
}

Result FileReader::readInto(const std::string &path, std::string &out)
{
    return outcome(readWhole(path,
                             [&](std::size_t n) {
                                 out.resize(n);
                                 return out.data();
                             }),
                   path);
}

Result FileReader::readInto(const std::string &path, ByteBuffer &out)
{
    return outcome(readWhole(path,
                             [&](std::size_t n) {
                                 out.resizeUninitialized(n);
                                 return out.data();
                             }),
                   path);
}

FileBuffer FileReader::readBuffer(const std::string &path, const std::function<void()> &between)
{
    ByteBuffer bytes;
    const int error = readWhole(
        path,
        [&](std::size_t n) {
            bytes.resizeUninitialized(n);
            return bytes.data();
        },
        between);
    return {outcome(error, path), std::move(bytes)};
}

} // namespace verbolt
