#include "commentindex.h"

#include "entrycursor.h"

namespace verbolt {

CommentIndex::CommentIndex(std::string bytes) : m_bytes(std::move(bytes))
{
    EntryCursor cursor(m_bytes);
    Entry e;
    while (cursor.next(e)) {
        if (!e.inLabel)
            continue;
        const int id = m_keys.insert(e.key);
        if (static_cast<std::size_t>(id) == m_values.size())
            m_values.push_back(e.value);
    }
}

std::string_view CommentIndex::comment(std::string_view id) const
{
    const int found = m_keys.find(Blanks::trim(id));
    return found < 0 ? std::string_view() : m_values[static_cast<std::size_t>(found)];
}

} // namespace verbolt
