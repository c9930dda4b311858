#include "keyindex.h"

#include "entrycursor.h"

namespace verbolt {

KeyIndex::KeyIndex(const LabelGrid &grid, int column)
{
    const std::string_view bytes = grid.columnBytes(column);
    EntryCursor cursor(bytes);
    Entry e;
    m_keys.reserve(static_cast<std::size_t>(grid.rowCount()));
    // Every entry line is a row, in file order, whatever its section: row n shows line n.
    for (int n = 0; cursor.next(e); ++n) {
        if (!e.inLabel)
            continue;
        const int id = m_keys.insert(e.key);
        if (static_cast<std::size_t>(id) == m_rows.size())
            m_rows.push_back(n < grid.rowCount() ? n : kPastLastRow);
    }
}

int KeyIndex::rowOf(std::string_view key) const
{
    const int id = m_keys.find(Blanks::trim(key));
    return id < 0 ? -1 : m_rows[static_cast<std::size_t>(id)];
}

} // namespace verbolt
