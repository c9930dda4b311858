#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// What a write did to one key: its raw value (the bytes after its line's "=") before,
/// nothing when the write added the key, and after. Views into the ChangedKeys it came from.
struct KeyChange
{
    std::string_view key;
    std::optional<std::string_view> before;
    std::string_view after;
};

/// The keys a write changed, each once. Their texts are kept end to end in one block, not a
/// string each: a Duplicate of 10,000 rows into 8 files records 80,000 of them, and an undo
/// history keeps every command of the run.
class ChangedKeys
{
public:
    void add(std::string_view key, std::optional<std::string_view> before, std::string_view after);
    /// Makes room for `keys` keys whose texts take `bytes` bytes in all.
    void reserve(std::size_t keys, std::size_t bytes);

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    KeyChange operator[](std::size_t i) const;

    void clear();
    /// Keeps the keys whose flag is set, in their order.
    void keepOnly(const std::vector<bool> &flags);

private:
    struct Entry
    {
        std::size_t at; // where the key's bytes start; its before and after follow
        std::size_t keyLength;
        std::size_t beforeLength;
        std::size_t afterLength;
        bool hasBefore;
    };

    std::string m_texts;
    std::vector<Entry> m_entries;
};

} // namespace verbolt
