#include "profilefile.h"

#include "atomicfile.h"
#include "filepath.h"
#include "filereader.h"
#include "profileedit.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace verbolt {

namespace {

// An exclusive flock() on a directory for the lifetime of the object.
class DirectoryLock
{
public:
    explicit DirectoryLock(const std::string &dir)
        : m_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0) {
            // A directory we may not list can still hold a file we may write: go on unlocked.
            m_error = errno == EACCES ? 0 : errno;
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
        }
    }
    ~DirectoryLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    DirectoryLock(const DirectoryLock &) = delete;
    DirectoryLock &operator=(const DirectoryLock &) = delete;

    int error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
};

} // namespace

std::string ProfileFile::readKey(const std::string &path, std::string_view key,
                                 std::size_t maxBytes)
{
    const FileContent file = FileReader::read(path);
    if (!file.ok)
        return {};
    std::string value = ProfileEdit::readValue(file.bytes, key);
    if (value.size() > maxBytes)
        value.resize(maxBytes);
    return value;
}

WriteResult ProfileFile::writeKey(const std::string &path, std::string_view key,
                                  std::string_view value, const std::string &folder,
                                  FileChanges *changes)
{
    return writeKeys(path, {KeyValue{std::string(key), std::string(value)}}, folder, changes);
}

WriteResult ProfileFile::writeKeys(const std::string &path, const std::vector<KeyValue> &writes,
                                   const std::string &folder, FileChanges *changes)
{
    // Refused before the lock is taken or the file read.
    for (const KeyValue &kv : writes) {
        if (!ProfileEdit::storable(kv.key) || !ProfileEdit::storable(kv.value))
            return WriteResult::failure(EINVAL, path);
    }
    // The lock is on the folder of the file actually replaced, where another writer of it
    // takes the same lock, whichever link it came through.
    std::string target = path;
    if (const int err = FilePath::followLinks(target))
        return WriteResult::failure(err, path);
    if (!FilePath::staysIn(target, folder))
        return WriteResult::linksOutside(path);
    const DirectoryLock lock(FilePath::folderOf(target));
    if (lock.error())
        return WriteResult::failure(lock.error(), path);

    // Only a missing file counts as empty: an unreadable one must not be overwritten. The
    // buffers stay between writes: a command writes several large files in a row.
    thread_local std::string before;
    thread_local std::string after;
    const int error = FileReader::readInto(path, before);
    if (error && error != ENOENT)
        return WriteResult::failure(error, path);
    bool changed = true;
    if (!ProfileEdit::applyInto(before, !error, writes, after, &changed, changes))
        return WriteResult::failure(EINVAL, path);
    if ((!error && !changed) || (error && writes.empty()))
        return WriteResult::success(path);
    return AtomicFile::write(path, after, folder);
}

ProfileFile::Reverted ProfileFile::revertKeys(const std::string &path, const FileChanges &changes,
                                              bool undo, const std::string &folder)
{
    std::string target = path;
    if (const int err = FilePath::followLinks(target))
        return {WriteResult::failure(err, path), {}};
    if (!FilePath::staysIn(target, folder))
        return {WriteResult::linksOutside(path), {}};
    const DirectoryLock lock(FilePath::folderOf(target));
    if (lock.error())
        return {WriteResult::failure(lock.error(), path), {}};

    std::string before;
    std::string after;
    const int error = FileReader::readInto(path, before);
    if (error && error != ENOENT)
        return {WriteResult::failure(error, path), {}};
    Reverted result{WriteResult::success(path),
                    ProfileEdit::revertInto(before, !error, changes, undo, after)};
    if (!error && after == before)
        return result;
    if (error && after.empty())
        return result; // nothing to take back from a file that is not there
    // Taking back the write that created the file leaves nothing of it: it goes too.
    if (undo && changes.created && after.empty()) {
        if (::unlink(target.c_str()) != 0 && errno != ENOENT)
            result.write = WriteResult::failure(errno, path);
        return result;
    }
    result.write = AtomicFile::write(path, after, folder);
    return result;
}

} // namespace verbolt
