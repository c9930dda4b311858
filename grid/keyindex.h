#pragma once

#include "foldedkeyset.h"
#include "labelgrid.h"

#include <string_view>
#include <vector>

namespace verbolt {

/// Where each key's line is in one column: the row that shows the first line of the
/// column's file holding the key in a [Label] section (or before the first section header),
/// which is where a write of that key lands. Built in one pass over the column's loaded
/// bytes; its keys are views of those bytes, so it is built again when the column is.
class KeyIndex
{
public:
    /// A key whose first line stands after the last row: the table shows no cell for it.
    static constexpr int kPastLastRow = -2;

    KeyIndex(const LabelGrid &grid, int column);

    /// The row of the key's line, -1 when the file has no line for it, or kPastLastRow.
    int rowOf(std::string_view key) const;

private:
    FoldedKeySet m_keys;
    std::vector<int> m_rows; // by key id
};

} // namespace verbolt
