#include "changedkeys.h"

namespace verbolt {

void ChangedKeys::add(std::string_view key, std::optional<std::string_view> before,
                      std::string_view after)
{
    const std::string_view was = before.value_or(std::string_view());
    m_entries.push_back({m_texts.size(), key.size(), was.size(), after.size(), before.has_value()});
    m_texts.append(key).append(was).append(after);
}

void ChangedKeys::reserve(std::size_t keys, std::size_t bytes)
{
    m_entries.reserve(keys);
    m_texts.reserve(bytes);
}

KeyChange ChangedKeys::operator[](std::size_t i) const
{
    const Entry &e = m_entries[i];
    const std::string_view texts(m_texts);
    const std::string_view before = texts.substr(e.at + e.keyLength, e.beforeLength);
    return {texts.substr(e.at, e.keyLength),
            e.hasBefore ? std::optional<std::string_view>(before) : std::nullopt,
            texts.substr(e.at + e.keyLength + e.beforeLength, e.afterLength)};
}

void ChangedKeys::clear()
{
    m_entries.clear();
    m_texts.clear();
}

void ChangedKeys::keepOnly(const std::vector<bool> &flags)
{
    std::string texts;
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (!flags[i])
            continue;
        Entry e = m_entries[i];
        const std::size_t length = e.keyLength + e.beforeLength + e.afterLength;
        texts.append(m_texts, e.at, length);
        e.at = texts.size() - length;
        entries.push_back(e);
    }
    m_texts = std::move(texts);
    m_entries = std::move(entries);
}

} // namespace verbolt
