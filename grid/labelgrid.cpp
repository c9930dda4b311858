#include "labelgrid.h"

namespace verbolt {

int LabelGrid::insertColumn(std::string header, std::string fileName)
{
    Column c;
    c.header = std::move(header);
    c.fileName = std::move(fileName);
    m_columns.push_back(std::move(c));
    return columnCount() - 1;
}

std::optional<std::string_view> LabelGrid::header(int k) const
{
    if (k < 0 || k >= columnCount())
        return std::nullopt;
    return m_columns[static_cast<std::size_t>(k)].header;
}

std::string_view LabelGrid::itemText(int row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return {};
    const Column &c = m_columns[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= c.cells.size())
        return {};
    const Span s = c.cells[static_cast<std::size_t>(row)];
    if (s.offset & kEdited)
        return c.edits.view().substr(s.offset & ~kEdited, s.length);
    return c.arena.view().substr(s.offset, s.length);
}

std::string_view LabelGrid::loadedBytes(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return m_columns[static_cast<std::size_t>(column)].arena.view();
}

std::optional<std::size_t> LabelGrid::loadedOffset(int row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return std::nullopt;
    const Column &c = m_columns[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= c.cells.size() ||
        (c.cells[static_cast<std::size_t>(row)].offset & kEdited))
        return std::nullopt;
    return static_cast<std::size_t>(c.cells[static_cast<std::size_t>(row)].offset);
}

void LabelGrid::setItemText(int row, int column, std::string_view text)
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return;
    Column &c = m_columns[static_cast<std::size_t>(column)];
    if (c.cells.size() < static_cast<std::size_t>(m_rowCount))
        c.cells.resize(static_cast<std::size_t>(m_rowCount));
    Span &s = c.cells[static_cast<std::size_t>(row)];
    if (s.offset & kEdited)
        c.garbage += s.length;
    // Edited texts go to a buffer of their own, so an edit never moves the file's bytes;
    // replaced edits stay there until a compaction.
    const std::uint64_t offset = c.edits.size();
    c.edits.append(text);
    s = Span{offset | kEdited, text.size()};
    if (c.garbage > (1u << 20) && c.garbage > c.edits.size() / 2)
        compact(c);
}

void LabelGrid::compact(Column &c)
{
    ByteBuffer fresh;
    fresh.reserve(c.edits.size() - c.garbage);
    for (Span &s : c.cells) {
        if (!(s.offset & kEdited))
            continue;
        const std::uint64_t offset = fresh.size();
        fresh.append(c.edits.view().substr(s.offset & ~kEdited, s.length));
        s.offset = offset | kEdited;
    }
    c.edits = std::move(fresh);
    c.garbage = 0;
}

std::string_view LabelGrid::adoptColumnBytes(int column, ByteBuffer &&bytes)
{
    Column &c = m_columns.at(static_cast<std::size_t>(column));
    c.arena = std::move(bytes);
    c.edits = ByteBuffer();
    c.garbage = 0;
    c.cells.clear();
    // A language column gets one cell per row: room for them all at once, not by doubling.
    c.cells.reserve(static_cast<std::size_t>(m_rowCount));
    return c.arena.view();
}

void LabelGrid::reserveRows(std::size_t rows)
{
    for (std::size_t k = 0; k < m_columns.size() && k < 2; ++k)
        m_columns[k].cells.reserve(rows);
}

void LabelGrid::appendRow(std::string_view id, std::string_view french)
{
    Column &ids = m_columns.at(0);
    ids.cells.resize(static_cast<std::size_t>(m_rowCount));
    ids.cells.push_back(Span{ids.arena.size(), id.size()});
    ids.arena.append(id);
    ++m_rowCount;
    setLoadedCell(m_rowCount - 1, 1, french);
}

void LabelGrid::setLoadedCell(int row, int column, std::string_view slice)
{
    if (row < 0 || row >= m_rowCount)
        return;
    Column &c = m_columns.at(static_cast<std::size_t>(column));
    const Span span{static_cast<std::uint64_t>(slice.data() - c.arena.data()), slice.size()};
    // Loading fills rows in order: the common case appends.
    if (c.cells.size() == static_cast<std::size_t>(row)) {
        c.cells.push_back(span);
        return;
    }
    if (c.cells.size() < static_cast<std::size_t>(row))
        c.cells.resize(static_cast<std::size_t>(row) + 1);
    c.cells[static_cast<std::size_t>(row)] = span;
}

} // namespace verbolt
