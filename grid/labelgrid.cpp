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

std::string_view LabelGrid::columnBytes(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return loadedBytes(static_cast<std::size_t>(column)).view();
}

std::optional<std::size_t> LabelGrid::loadedOffset(int row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return std::nullopt;
    const Column &c = m_columns[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= c.cells.size())
        return std::nullopt;
    const CellSpans::Span s = c.cells.get(static_cast<std::size_t>(row));
    if (s.edited)
        return std::nullopt;
    return static_cast<std::size_t>(s.offset);
}

void LabelGrid::setItemText(int row, int column, std::string_view text)
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
        return;
    Column &c = m_columns[static_cast<std::size_t>(column)];
    if (c.cells.size() < static_cast<std::size_t>(m_rowCount))
        c.cells.resize(static_cast<std::size_t>(m_rowCount));
    const CellSpans::Span old = c.cells.get(static_cast<std::size_t>(row));
    if (old.edited)
        c.garbage += old.length;
    // Edited texts go to a buffer of their own, so an edit never moves the file's bytes;
    // replaced edits stay there until a compaction.
    const std::uint64_t offset = c.edits.size();
    c.edits.append(text);
    c.cells.set(static_cast<std::size_t>(row), {offset, text.size(), true});
    if (c.garbage > (1u << 20) && c.garbage > c.edits.size() / 2)
        compact(c);
}

void LabelGrid::compact(Column &c)
{
    ByteBuffer fresh;
    // Room for as many edits again: the next commands append without growing at once.
    const std::size_t live = c.edits.size() - c.garbage;
    fresh.reserve(live + live / 2);
    for (std::size_t i = 0; i < c.cells.size(); ++i) {
        CellSpans::Span s = c.cells.get(i);
        if (!s.edited)
            continue;
        const std::uint64_t offset = fresh.size();
        fresh.append(c.edits.view().substr(s.offset, s.length));
        s.offset = offset;
        c.cells.set(i, s);
    }
    c.edits = std::move(fresh);
    c.garbage = 0;
}

void LabelGrid::setCellSpan(Column &c, std::size_t row, const CellSpans::Span &span)
{
    if (c.cells.size() <= row)
        c.cells.resize(row + 1);
    c.cells.set(row, span);
}

void LabelGrid::keepIds()
{
    // The IDs point into column 1's bytes: before those are replaced, the IDs they hold
    // become edited texts of their own.
    Column &ids = m_columns[0];
    for (std::size_t row = 0; row < ids.cells.size(); ++row) {
        const CellSpans::Span s = ids.cells.get(row);
        if (!s.edited && s.length > 0) {
            const std::uint64_t offset = ids.edits.size();
            ids.edits.append(m_columns[1].arena.view().substr(s.offset, s.length));
            ids.cells.set(row, {offset, s.length, true});
        }
    }
}

std::string_view LabelGrid::adoptColumnBytes(int column, ByteBuffer &&bytes)
{
    Column &c = m_columns.at(static_cast<std::size_t>(column));
    if (column == 1)
        keepIds();
    c.arena = std::move(bytes);
    c.edits = ByteBuffer();
    c.garbage = 0;
    c.cells.clear();
    // A language column gets one cell per row: room for them all at once, not by doubling.
    c.cells.reserve(static_cast<std::size_t>(m_rowCount));
    return c.arena.view();
}

void LabelGrid::adoptColumn(int column, LoadedColumn &&loaded)
{
    Column &c = m_columns.at(static_cast<std::size_t>(column));
    c.arena = std::move(loaded.bytes);
    c.cells = std::move(loaded.cells);
    c.edits = ByteBuffer();
    c.garbage = 0;
}

LabelGrid::LoadedColumn LabelGrid::releaseColumn(int column)
{
    Column &c = m_columns.at(static_cast<std::size_t>(column));
    LoadedColumn out{std::move(c.arena), std::move(c.cells)};
    c.edits = ByteBuffer();
    c.garbage = 0;
    return out;
}

void LabelGrid::reserveRows(std::size_t rows)
{
    for (std::size_t k = 0; k < m_columns.size() && k < 2; ++k)
        m_columns[k].cells.reserve(rows);
}

} // namespace verbolt
