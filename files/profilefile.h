#pragma once

#include "bytebuffer.h"
#include "filechanges.h"
#include "filesystem.h"
#include "keyvalue.h"
#include "result.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

class FrenchOrder;

/// The profile services on disk: read one key of section "Label", write keys to it. Every
/// call reads the file afresh, so changes other programs made meanwhile stay. The path is
/// used as given (letter-case resolution is the caller's). A writer keeps the bytes of the
/// file before and after its last write, so that a command writing several large files in a
/// row allocates once; one writer serves one thread at a time.
class ProfileFile
{
public:
    /// A writer whose files are replaced and whose folders are tidied through `fs`.
    explicit ProfileFile(FileSystem &fs = FileSystem::disk()) : m_fs(fs) {}
    ProfileFile(const ProfileFile &) = delete;
    ProfileFile &operator=(const ProfileFile &) = delete;

    /// The first `maxBytes` bytes of the key's value, empty when the section or the key is
    /// missing; nothing when the file cannot be read (a missing one included).
    static std::optional<std::string> readKey(const std::string &path, std::string_view key,
                                              std::size_t maxBytes = 999);

    /// Writes one key; see writeKeys.
    Result writeKey(const std::string &path, std::string_view key, std::string_view value,
                    const std::string &folder, FileChanges *changes = nullptr,
                    const FrenchOrder *order = nullptr);

    /// Writes the keys in order, with the result of one write each, in one atomic rewrite.
    /// Writers of one directory are serialised with flock() on it (an advisory lock: it
    /// holds between Verbolt's writers, not against other programs). Under it, what a killed
    /// writer left in the directory is cleared up first. A UTF-16 file, or one whose lines
    /// end in CR alone, is refused (Unsupported), unchanged. A missing file is
    /// created; a write that changes nothing touches nothing and succeeds, even on a
    /// read-only file. A key or value holding CR, LF or NUL fails with EINVAL. A path that
    /// links to a file outside `folder` (the label folder) and its subfolders is refused.
    /// Given the French `order`, missing keys go to their French place.
    Result writeKeys(const std::string &path, const std::vector<KeyValue> &writes,
                     const std::string &folder, FileChanges *changes = nullptr,
                     const FrenchOrder *order = nullptr);

    /// Takes out the line each key's writes go to, through the same lock and atomic
    /// replacement; a missing file, or one without those keys, is left untouched.
    Result removeKeys(const std::string &path, const std::vector<std::string> &keys,
                      const std::string &folder, FileChanges *changes = nullptr);

    /// Makes a file's new bytes from its present ones (read afresh under the lock) and
    /// replaces it atomically, links out of `folder` refused. `transform` gets the bytes and
    /// whether the file exists and returns the new bytes, or nothing to leave the file as it
    /// is; it fills the record the caller keeps for undo.
    using Transform =
        std::function<std::optional<std::string>(std::string_view bytes, bool exists)>;
    Result replaceFile(const std::string &path, const std::string &folder,
                       const Transform &transform);

    /// What taking back or making again a write did: the write, and key by key whether it
    /// was exchanged (a key changed since by another program is not).
    struct [[nodiscard]] Reverted
    {
        Result result;
        std::vector<bool> applied;
    };
    /// Takes back (`undo`) or makes again a write recorded in `changes`, through the same
    /// lock and atomic replacement; a file the write created goes again when nothing of it
    /// is left.
    /// A rewrite of whole lines (removeKeys, a put-in-order) is exchanged only while the file
    /// holds exactly what the other side left; else it is left, with `applied` false.
    Reverted revertKeys(const std::string &path, const FileChanges &changes, bool undo,
                        const std::string &folder, const FrenchOrder *order = nullptr);

    /// The end of a command: the memory a large file's write kept for the next is given
    /// back (above 16 MB).
    void releaseBuffers();

private:
    template <class Edit>
    Result rewrite(const std::string &path, const std::string &folder, Edit &&edit);

    FileSystem &m_fs;
    // ByteBuffers: large sizes come as huge pages and are not zeroed before they are filled.
    ByteBuffer m_before;
    ByteBuffer m_after;
};

} // namespace verbolt
