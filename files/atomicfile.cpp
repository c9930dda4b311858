#include "atomicfile.h"

#include "filedescriptor.h"
#include "filepath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verbolt {

namespace {

std::function<int(AtomicFile::Stage)> &faultHook()
{
    static std::function<int(AtomicFile::Stage)> hook;
    return hook;
}

int fault(AtomicFile::Stage stage)
{
    const auto &hook = faultHook();
    return hook ? hook(stage) : 0;
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Two halves, so that a test can fail the write with half of the bytes on disk.
int writeContent(int fd, std::string_view bytes)
{
    const std::size_t half = bytes.size() / 2;
    if (const int err = writeAll(fd, bytes.substr(0, half)))
        return err;
    if (const int err = fault(AtomicFile::Stage::AfterPartialWrite))
        return err;
    return writeAll(fd, bytes.substr(half));
}

mode_t newFileMode()
{
    // umask can only be read by setting it; writes run on one thread.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Flushes the written file to disk (unless `err` already failed the write) and closes it:
// close() has the last word on a write; returns the first error.
int syncAndClose(FileDescriptor &fd, int err)
{
    if (!err)
        err = fault(AtomicFile::Stage::BeforeSync);
    if (!err && ::fsync(fd.get()) != 0)
        err = errno;
    if (fd.close() != 0 && !err)
        err = errno;
    return err;
}

// Keeps the links shared; the price is that a failure half-way leaves the file damaged.
int rewriteInPlace(const std::string &target, std::string_view bytes)
{
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return errno;
    int err = writeContent(fd.get(), bytes);
    if (!err && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0)
        err = errno;
    return syncAndClose(fd, err);
}

int replace(const std::string &target, std::string_view bytes, const struct stat *old)
{
    const std::string dir = FilePath::folderOf(target);
    const std::string name = FilePath::nameOf(target);
    // ".NAME.XXXXXX" ends in six letters or digits, so it never ends in ".lan".
    std::string temp =
        dir + "/." + name.substr(0, std::min<std::size_t>(name.size(), NAME_MAX - 8)) + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd)
        return errno;
    int err = writeContent(fd.get(), bytes);
    if (!err && old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
        // The owner where permitted; else at least the group, when we belong to it.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
            if (errno != EPERM)
                err = errno;
            else if (::fchown(fd.get(), static_cast<uid_t>(-1), old->st_gid) != 0 && errno != EPERM)
                err = errno;
        }
    }
    // After fchown, which may clear set-id bits.
    if (!err && ::fchmod(fd.get(), old ? (old->st_mode & 07777) : newFileMode()) != 0)
        err = errno;
    err = syncAndClose(fd, err);
    if (!err)
        err = fault(AtomicFile::Stage::BeforeRename);
    if (!err && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err) {
        ::unlink(temp.c_str());
        return err;
    }
    // The directory is not synced: the data was, before the rename, so a crash leaves the
    // old or the new file, never a torn one, and a sync per file would double a save's cost.
    return 0;
}

} // namespace

void AtomicFile::setFaultHook(std::function<int(Stage)> hook)
{
    faultHook() = std::move(hook);
}

Result AtomicFile::write(const std::string &path, std::string_view bytes, const std::string &folder)
{
    // A link is followed to the file it names, and the link itself stays, but only while
    // that file is in `folder`: a folder from elsewhere must not reach a user's other files.
    std::string target = path;
    if (const int err = FilePath::followLinks(target))
        return Result::failed(Result::Failure::Write, err, path);
    if (!FilePath::staysIn(target, folder))
        return Result::failed(Result::Failure::LinksOutside, 0, path);

    struct stat st
    {
    };
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Result::failed(Result::Failure::Write, errno, path);
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return Result::failed(Result::Failure::Write, S_ISDIR(st.st_mode) ? EISDIR : EINVAL,
                                  path);
        // The rename would replace a read-only file; the user made it read-only to keep it.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return Result::failed(Result::Failure::Write, errno, path);
    }
    const int err = exists && st.st_nlink > 1 ? rewriteInPlace(target, bytes)
                                              : replace(target, bytes, exists ? &st : nullptr);
    return err ? Result::failed(Result::Failure::Write, err, path) : Result::done(path);
}

} // namespace verbolt
