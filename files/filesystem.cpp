#include "filesystem.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace verbolt {

FileSystem &FileSystem::disk()
{
    // Holds no state: one is enough for every caller and thread.
    static FileSystem real;
    return real;
}

int FileSystem::openAt(int dir, const char *name, int flags, mode_t mode)
{
    return ::openat(dir, name, flags, mode);
}

ssize_t FileSystem::write(int fd, const void *bytes, std::size_t size)
{
    return ::write(fd, bytes, size);
}

int FileSystem::fsync(int fd)
{
    return ::fsync(fd);
}

int FileSystem::renameAt(int fromDir, const char *from, int toDir, const char *to)
{
    return ::renameat(fromDir, from, toDir, to);
}

DIR *FileSystem::openDirectory(const char *path)
{
    return ::opendir(path);
}

dirent *FileSystem::readDirectory(DIR *dir)
{
    return ::readdir(dir);
}

} // namespace verbolt
