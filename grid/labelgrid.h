#pragma once

#include "bytebuffer.h"
#include "cellspans.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// Rows of labels by columns of languages: column 0 the ID, column 1 FRENCH, then one
/// column per further language file. Columns and rows are only ever added.
///
/// Each column keeps its texts in one byte arena (for a loaded column, the file's bytes as
/// read), texts set later in a second one, and a span per cell: a large set costs little
/// more than its files, with no string object per cell. The IDs are not copied: their
/// spans point into the French file's bytes, where they stand before each "=".
class LabelGrid
{
public:
    /// Adds a column at the end; `fileName` is the label file it was read from (as on disk).
    int insertColumn(std::string header, std::string fileName);
    int columnCount() const { return static_cast<int>(m_columns.size()); }

    /// The column walk: the header of column k, or nothing once k is past the last column.
    std::optional<std::string_view> header(int k) const;
    const std::string &fileName(int k) const { return m_columns.at(k).fileName; }

    int rowCount() const { return m_rowCount; }

    /// The bytes a column was loaded from (a language column: its file as read).
    std::string_view columnBytes(int column) const;
    /// Where a cell's text stands in its column's loaded bytes; nothing once it was set.
    std::optional<std::size_t> loadedOffset(int row, int column) const;

    /// Text of a cell; empty for a row or column that does not exist.
    std::string_view itemText(int row, int column) const
    {
        if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount())
            return {};
        const Column &c = m_columns[static_cast<std::size_t>(column)];
        if (static_cast<std::size_t>(row) >= c.cells.size())
            return {};
        const CellSpans::Span s = c.cells.get(static_cast<std::size_t>(row));
        if (s.length == 0)
            return {};
        const ByteBuffer &bytes =
            s.edited ? c.edits : loadedBytes(static_cast<std::size_t>(column));
        return {bytes.data() + s.offset, s.length};
    }
    /// A cell as stored: where its text stands in columnBytes(column), or that it was set
    /// since (its text is then elsewhere: itemText). Empty past the column's cells. For
    /// searches over a whole column's bytes at once.
    CellSpans::Span cellSpan(int row, int column) const
    {
        const Column &c = m_columns[static_cast<std::size_t>(column)];
        return static_cast<std::size_t>(row) < c.cells.size()
                   ? c.cells.get(static_cast<std::size_t>(row))
                   : CellSpans::Span{};
    }
    /// Sets a cell's text; a row or column that does not exist changes nothing.
    void setItemText(int row, int column, std::string_view text);

    // Bulk loading. A column takes over a whole file's bytes; its cells are then set to
    // slices of those bytes without copying them. Column 1's bytes hold the IDs too.
    std::string_view adoptColumnBytes(int column, ByteBuffer &&bytes);
    /// Adds a row whose ID (column 0) and column-1 text are `id` and `french`, both slices
    /// of column 1's adopted bytes.
    void appendRow(std::string_view id, std::string_view french)
    {
        Column &ids = m_columns.at(0);
        const char *base = m_columns.at(1).arena.data();
        if (ids.cells.size() != static_cast<std::size_t>(m_rowCount))
            ids.cells.resize(static_cast<std::size_t>(m_rowCount));
        ids.cells.push_back({static_cast<std::uint64_t>(id.data() - base), id.size()});
        ++m_rowCount;
        setLoadedCell(m_rowCount - 1, 1, french);
    }
    /// Sets cell (row, column) to `slice`, a slice of the column's adopted bytes.
    void setLoadedCell(int row, int column, std::string_view slice)
    {
        if (row < 0 || row >= m_rowCount)
            return;
        Column &c = m_columns.at(static_cast<std::size_t>(column));
        const CellSpans::Span span{static_cast<std::uint64_t>(slice.data() - c.arena.data()),
                                   slice.size()};
        // Loading fills rows in order: the common case appends.
        if (c.cells.size() == static_cast<std::size_t>(row))
            c.cells.push_back(span);
        else
            setCellSpan(c, static_cast<std::size_t>(row), span);
    }
    void reserveRows(std::size_t rows);
    /// A language column's file and the cells it gives, made apart from the grid (a reload
    /// reads it on another thread) and put in place whole by adoptColumn.
    struct LoadedColumn
    {
        ByteBuffer bytes;
        CellSpans cells; // spans into `bytes`, row by row
    };
    void adoptColumn(int column, LoadedColumn &&loaded);
    /// Gives a column's loaded bytes and cells back, leaving it empty (a check of many files
    /// reads each into the memory of the one before). Only the column itself is touched:
    /// columns can be adopted and given back on threads of their own.
    LoadedColumn releaseColumn(int column);

private:
    // A column on cache lines of its own: a check fills several columns at once, one a
    // thread, and a column's cell count changes with every line.
    struct alignas(64) Column
    {
        std::string header;
        std::string fileName;
        ByteBuffer arena; // the file's bytes as read (column 0: none, its IDs are column 1's)
        ByteBuffer edits; // texts set since
        CellSpans cells;
        std::size_t garbage = 0; // edit bytes no cell refers to any more
    };

    // The bytes a column's loaded cells point into.
    const ByteBuffer &loadedBytes(std::size_t column) const
    {
        return m_columns[column == 0 && m_columns.size() > 1 ? 1 : column].arena;
    }
    static void setCellSpan(Column &c, std::size_t row, const CellSpans::Span &span);
    void keepIds();
    void compact(Column &c);

    std::vector<Column> m_columns;
    int m_rowCount = 0;
};

} // namespace verbolt
