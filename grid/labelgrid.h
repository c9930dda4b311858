#pragma once

#include "bytebuffer.h"

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
/// more than its files, with no string object per cell.
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
    std::string_view loadedBytes(int column) const;
    /// Where a cell's text stands in its column's loaded bytes; nothing once it was set.
    std::optional<std::size_t> loadedOffset(int row, int column) const;

    /// Text of a cell; empty for a row or column that does not exist.
    std::string_view itemText(int row, int column) const;
    /// Sets a cell's text; a row or column that does not exist changes nothing.
    void setItemText(int row, int column, std::string_view text);

    // Bulk loading. A column takes over a whole file's bytes; its cells are then set to
    // slices of those bytes without copying them.
    std::string_view adoptColumnBytes(int column, ByteBuffer &&bytes);
    /// Adds a row whose ID is copied into column 0 and whose column-1 text is `french`, a
    /// slice of column 1's adopted bytes.
    void appendRow(std::string_view id, std::string_view french);
    /// Sets cell (row, column) to `slice`, a slice of the column's adopted bytes.
    void setLoadedCell(int row, int column, std::string_view slice);
    void reserveRows(std::size_t rows);

private:
    struct Span
    {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    struct Column
    {
        std::string header;
        std::string fileName;
        ByteBuffer arena; // the file's bytes as read (column 0: the IDs)
        ByteBuffer edits; // texts set since
        std::vector<Span> cells;
        std::size_t garbage = 0; // edit bytes no cell refers to any more
    };

    static constexpr std::uint64_t kEdited = std::uint64_t(1) << 63; // span is in `edits`

    void compact(Column &c);

    std::vector<Column> m_columns;
    int m_rowCount = 0;
};

} // namespace verbolt
