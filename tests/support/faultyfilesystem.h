#pragma once

#include "filesystem.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <unistd.h>

namespace verbolt::test {

/// The disk, but for the calls a test makes fail. A write that fails does so as a disk
/// that fills up: half of its bytes go to the file (a short write), the next write to that
/// file fails.
class FaultyFileSystem : public FileSystem
{
public:
    enum class Call
    {
        Open,
        Write,
        Sync,
        Rename,
        ReadDirectory,
        Count
    };

    /// From now on `fault` is asked before each call, with its kind and how many of that
    /// kind came before it since, and fails the call with the errno it returns (0 goes on).
    void failWhen(std::function<int(Call, int)> fault)
    {
        m_fault = std::move(fault);
        m_counts = {};
        m_pendingFd = -1;
    }
    /// Every call goes through again.
    void heal() { failWhen({}); }

    int openAt(int dir, const char *name, int flags, mode_t mode) override
    {
        if (const int err = ask(Call::Open))
            return fail(err);
        return FileSystem::openAt(dir, name, flags, mode);
    }
    ssize_t write(int fd, const void *bytes, std::size_t size) override
    {
        if (fd == m_pendingFd) {
            m_pendingFd = -1;
            return fail(m_pendingError);
        }
        const int err = ask(Call::Write);
        if (!err)
            return FileSystem::write(fd, bytes, size);
        if (size < 2)
            return fail(err);
        m_pendingFd = fd;
        m_pendingError = err;
        return FileSystem::write(fd, bytes, size / 2);
    }
    int fsync(int fd) override
    {
        if (const int err = ask(Call::Sync))
            return fail(err);
        return FileSystem::fsync(fd);
    }
    int renameAt(int fromDir, const char *from, int toDir, const char *to) override
    {
        if (const int err = ask(Call::Rename))
            return fail(err);
        return FileSystem::renameAt(fromDir, from, toDir, to);
    }
    DIR *openDirectory(const char *path) override { return FileSystem::openDirectory(path); }
    dirent *readDirectory(DIR *dir) override
    {
        if (const int err = ask(Call::ReadDirectory)) {
            errno = err;
            return nullptr;
        }
        return FileSystem::readDirectory(dir);
    }

private:
    int ask(Call call)
    {
        const int n = m_counts[static_cast<std::size_t>(call)]++;
        return m_fault ? m_fault(call, n) : 0;
    }
    static int fail(int err)
    {
        errno = err;
        return -1;
    }

    std::function<int(Call, int)> m_fault;
    std::array<int, static_cast<std::size_t>(Call::Count)> m_counts{};
    int m_pendingFd = -1;
    int m_pendingError = 0;
};

} // namespace verbolt::test
