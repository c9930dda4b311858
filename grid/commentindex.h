#pragma once

#include "foldedkeyset.h"

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// The comments of comments.cmt, read once and found by label ID as the profile reader
/// finds a key: the first line holding it in a [Label] section (or before the first section
/// header), keys compared trimmed and without ASCII letter case.
class CommentIndex
{
public:
    CommentIndex() = default;
    /// Takes the comment file's bytes (empty when there is none).
    explicit CommentIndex(std::string bytes);
    // The index holds views of its own bytes.
    CommentIndex(const CommentIndex &) = delete;
    CommentIndex &operator=(const CommentIndex &) = delete;

    /// The comment of `id`, trimmed; empty when it has none.
    std::string_view comment(std::string_view id) const;

private:
    std::string m_bytes;
    FoldedKeySet m_keys;
    std::vector<std::string_view> m_values; // by key id
};

} // namespace verbolt
