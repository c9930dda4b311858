#pragma once

#include "foldedkeyset.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// The values of a profile file's keys (a label file, comments.cmt), read once and found by
/// key as the profile reader and the writer find them: the first line holding the key in a
/// [Label] section (or before the first section header), keys compared trimmed and without
/// ASCII letter case, values trimmed.
class FileValues
{
public:
    FileValues() = default;
    /// Takes a file's bytes; with `only`, just those keys are kept (the others cost no
    /// index entry: a check of a few keys in a large file). `between` is called now and then
    /// on the way, so that a window can repaint while a large file is indexed.
    explicit FileValues(std::string bytes, const std::vector<std::string_view> &only = {},
                        const std::function<void()> &between = {});
    /// Reads `path`; a file that is missing, cannot be read or links out of `folder` (the
    /// label folder: nothing outside it is read) holds no keys.
    static std::unique_ptr<FileValues> read(const std::string &path, const std::string &folder,
                                            const std::vector<std::string_view> &only = {},
                                            const std::function<void()> &between = {});
    /// Whether it was read from a file (false for one missing or unreadable).
    bool read() const { return m_read; }
    FileValues(const FileValues &) = delete;
    FileValues &operator=(const FileValues &) = delete;

    /// The key's value, or nothing when the file has no line for it.
    std::optional<std::string_view> value(std::string_view key) const;

private:
    std::string m_bytes;
    bool m_read = false;
    FoldedKeySet m_keys;
    std::vector<std::string_view> m_values;
};

} // namespace verbolt
