#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// What the editing commands need of the main window. Texts are bytes of the run's code
/// page, except messages, which are UTF-8.
class LabelView
{
public:
    virtual ~LabelView() = default;

    // The list's selection and current row.
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

    // The editing panel. A field's text is nothing when the run's code page cannot hold it.
    virtual std::optional<std::string> editorText(int editorId) = 0;
    virtual void setEditorText(int editorId, std::string_view text) = 0;
    virtual void setEditorEnabled(int editorId, bool enabled) = 0;
    virtual void setApplyEnabled(bool enabled) = 0;
    virtual void setCommentText(std::string_view text) = 0;

    // The drop-down lists and the search field.
    virtual std::string dupTargetText() = 0;
    virtual std::string findColumnText() = 0;
    virtual std::optional<std::string> findText() = 0;

    /// A modal message to the user (UTF-8).
    virtual void showMessage(const std::string &text) = 0;
};

} // namespace verbolt
