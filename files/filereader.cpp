#include "filereader.h"

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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    // One byte past the size fstat gave, so the end shows without a second buffer; a file
    // that grows meanwhile is read on into a larger one.
    std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096;
    char *data = resize(size);
    std::size_t used = 0;
    for (;;) {
        if (used == size)
            data = resize(size *= 2);
        const std::size_t want = between ? std::min(size - used, kPiece) : size - used;
        const ssize_t got = ::read(fd, data + used, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
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
    ::close(fd);
    return 0;
}

} // namespace

FileContent FileReader::read(const std::string &path)
{
    FileContent result;
    result.error = readInto(path, result.bytes);
    result.ok = result.error == 0;
    return result;
}

int FileReader::readInto(const std::string &path, std::string &out)
{
    return readWhole(path, [&](std::size_t n) {
        out.resize(n);
        return out.data();
    });
}

int FileReader::readInto(const std::string &path, ByteBuffer &out)
{
    return readWhole(path, [&](std::size_t n) {
        out.resizeUninitialized(n);
        return out.data();
    });
}

FileBuffer FileReader::readBuffer(const std::string &path, const std::function<void()> &between)
{
    FileBuffer result;
    result.error = readWhole(
        path,
        [&](std::size_t n) {
            result.bytes.resizeUninitialized(n);
            return result.bytes.data();
        },
        between);
    result.ok = result.error == 0;
    return result;
}

} // namespace verbolt
