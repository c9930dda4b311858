#include "filereader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verbolt {

FileContent FileReader::read(const std::string &path)
{
    FileContent result;
    // O_NONBLOCK: opening a FIFO that slipped in after the directory scan must not hang.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return result;
    }
    // One byte past the size fstat gave, so the end shows without a second buffer; a file
    // that grows meanwhile is read on into a larger one.
    result.bytes.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
    std::size_t used = 0;
    for (;;) {
        if (used == result.bytes.size())
            result.bytes.resize(result.bytes.size() * 2);
        const ssize_t got = ::read(fd, result.bytes.data() + used, result.bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.error = errno;
            result.bytes.clear();
            ::close(fd);
            return result;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    result.bytes.resize(used);
    result.ok = true;
    ::close(fd);
    return result;
}

} // namespace verbolt
