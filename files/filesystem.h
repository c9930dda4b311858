#pragma once

#include <cstddef>
#include <dirent.h>
#include <sys/types.h>

namespace verbolt {

/// The system calls of the file layer that can fail on a sound folder: creating and writing
/// a file, syncing it, renaming it over another, listing a folder. They answer as the system
/// does (-1 or nullptr, errno set). The atomic replace and the listing go through one, so that
/// a test can give them one that fails a chosen call.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /// The real one, for everything outside tests.
    static FileSystem &disk();

    virtual int openAt(int dir, const char *name, int flags, mode_t mode = 0);
    virtual ssize_t write(int fd, const void *bytes, std::size_t size);
    virtual int fsync(int fd);
    virtual int renameAt(int fromDir, const char *from, int toDir, const char *to);
    virtual DIR *openDirectory(const char *path);
    /// readdir(): nullptr at the end with errno untouched, or on a failure with errno set.
    virtual dirent *readDirectory(DIR *dir);
};

} // namespace verbolt
