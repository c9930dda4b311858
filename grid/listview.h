#pragma once

#include <vector>

namespace verbolt {

/// What the editing commands need of the window's label list: its selection and current
/// row, scrolling, the keyboard, and repainting rows whose texts changed. Rows are rows of
/// the grid.
class ListView
{
public:
    virtual ~ListView() = default;

    virtual int selectedCount() = 0;
    /// The selected rows in ascending order: one snapshot per command.
    virtual std::vector<int> selectedRows() = 0;
    virtual bool isRowSelected(int row) = 0;
    virtual void setRowSelected(int row, bool selected) = 0;
    /// Makes `row` the list's current row, the selection as it is; -1 leaves none current.
    virtual void setCurrentRow(int row) = 0;
    /// Makes `row` the current and only selected row and scrolls it into view.
    virtual void moveToRow(int row) = 0;
    virtual void ensureRowVisible(int row) = 0;
    virtual void focusList() = 0;
    /// Grid texts changed (rows first..last, every column): the list repaints them.
    virtual void cellsChanged(int firstRow, int lastRow) = 0;
    /// Whether the list shows `row` (a filter may hide some).
    virtual bool isRowShown(int /*row*/) { return true; }
};

} // namespace verbolt
