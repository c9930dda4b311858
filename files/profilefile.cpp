#include "profilefile.h"

#include "atomicfile.h"
#include "filedescriptor.h"
#include "filepath.h"
#include "filereader.h"
#include "labelencoding.h"
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
        if (!m_fd) {
            // A directory we may not list can still hold a file we may write: go on unlocked.
            m_error = errno == EACCES ? 0 : errno;
            return;
        }
        while (::flock(m_fd.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
        }
    }

    int error() const { return m_error; }

private:
    FileDescriptor m_fd; // closing it releases the lock
    int m_error = 0;
};

} // namespace

std::optional<std::string> ProfileFile::readKey(const std::string &path, std::string_view key,
                                                std::size_t maxBytes)
{
    const FileContent file = FileReader::read(path);
    if (!file.result.ok())
        return std::nullopt;
    std::string value = ProfileEdit::readValue(file.bytes, key);
    if (value.size() > maxBytes)
        value.resize(maxBytes);
    return value;
}

Result ProfileFile::writeKey(const std::string &path, std::string_view key, std::string_view value,
                             const std::string &folder, FileChanges *changes,
                             const FrenchOrder *order)
{
    return writeKeys(path, {KeyValue{std::string(key), std::string(value)}}, folder, changes,
                     order);
}

// A read-modify-write of one file: its links followed (and refused when they lead out of
// `folder`), the writers' lock on the folder of the file replaced, its bytes read afresh
// into `m_before`, only a missing file counting as empty: an unreadable one must not be
// overwritten. `edit` makes `m_after` from them; what it returns is replaced atomically.
template <class Edit>
Result ProfileFile::rewrite(const std::string &path, const std::string &folder, Edit &&edit)
{
    std::string target = path;
    if (const int err = FilePath::followLinks(target))
        return Result::failed(Result::Failure::Write, err, path);
    // A folder that is not there says so; one that cannot be resolved is never written to.
    if (::access(FilePath::folderOf(target).c_str(), F_OK) != 0)
        return Result::failed(Result::Failure::Write, errno, path);
    if (!FilePath::staysIn(target, folder))
        return Result::failed(Result::Failure::LinksOutside, 0, path);
    const DirectoryLock lock(FilePath::folderOf(target));
    if (lock.error())
        return Result::failed(Result::Failure::Write, lock.error(), path);
    // What a killed writer left is cleared up first; a hard-linked file it was rewriting
    // gets its old bytes back before they are read.
    if (const Result tidied = AtomicFile::tidy(FilePath::folderOf(target), m_fs);
        tidied.failure() == Result::Failure::Write)
        return Result::failed(Result::Failure::Write, tidied.error(), path);
    const Result read = FileReader::readInto(path, m_before);
    if (!read.ok() && read.error() != ENOENT)
        return Result::failed(Result::Failure::Write, read.error(), path);
    // Bytes the editing rules would break are never rewritten.
    if (read.ok() && !LabelEncoding::whyReadOnly(m_before.view()).empty())
        return Result::failed(Result::Failure::Unsupported, 0, path);
    return edit(read.ok(), target);
}

Result ProfileFile::writeKeys(const std::string &path, const std::vector<KeyValue> &writes,
                              const std::string &folder, FileChanges *changes,
                              const FrenchOrder *order)
{
    // Refused before the lock is taken or the file read.
    for (const KeyValue &kv : writes) {
        if (!ProfileEdit::storable(kv.key) || !ProfileEdit::storable(kv.value))
            return Result::failed(Result::Failure::Refused, EINVAL, path);
    }
    return rewrite(path, folder, [&](bool exists, const std::string &) {
        bool changed = true;
        if (!ProfileEdit::applyInto(m_before.view(), exists, writes, m_after, &changed, changes,
                                    order))
            return Result::failed(Result::Failure::Refused, EINVAL, path);
        if ((exists && !changed) || (!exists && writes.empty()))
            return Result::done(path);
        return AtomicFile::write(path, m_after.view(), folder, m_fs);
    });
}

ProfileFile::Reverted ProfileFile::revertKeys(const std::string &path, const FileChanges &changes,
                                              bool undo, const std::string &folder,
                                              const FrenchOrder *order)
{
    std::vector<bool> applied;
    std::string reverted; // made afresh by revertInto: no buffer to keep
    Result result = rewrite(path, folder, [&](bool exists, const std::string &target) {
        applied = ProfileEdit::revertInto(m_before.view(), exists, changes, undo, reverted, order);
        if ((exists && reverted == m_before.view()) || (!exists && reverted.empty()))
            return Result::done(path); // nothing changes (or nothing to take back)
        // Taking back the write that created the file leaves nothing of it: it goes too.
        if (undo && changes.created && reverted.empty()) {
            if (::unlink(target.c_str()) != 0 && errno != ENOENT)
                return Result::failed(Result::Failure::Write, errno, path);
            return Result::done(path);
        }
        return AtomicFile::write(path, reverted, folder, m_fs);
    });
    return {std::move(result), std::move(applied)};
}

Result ProfileFile::removeKeys(const std::string &path, const std::vector<std::string> &keys,
                               const std::string &folder, FileChanges *changes)
{
    if (changes)
        *changes = FileChanges{};
    return rewrite(path, folder, [&](bool exists, const std::string &) {
        if (!exists)
            return Result::done(path);
        if (ProfileEdit::removeInto(m_before.view(), keys, m_after, changes) == 0)
            return Result::done(path);
        return AtomicFile::write(path, m_after.view(), folder, m_fs);
    });
}

Result ProfileFile::replaceFile(const std::string &path, const std::string &folder,
                                const Transform &transform)
{
    return rewrite(path, folder, [&](bool exists, const std::string &) {
        const std::optional<std::string> out = transform(m_before.view(), exists);
        if (!out || (exists && *out == m_before.view()))
            return Result::done(path);
        return AtomicFile::write(path, *out, folder, m_fs);
    });
}

void ProfileFile::releaseBuffers()
{
    constexpr std::size_t kKept = std::size_t(16) << 20;
    if (m_before.capacity() > kKept)
        m_before = ByteBuffer();
    if (m_after.capacity() > kKept)
        m_after = ByteBuffer();
}

} // namespace verbolt
