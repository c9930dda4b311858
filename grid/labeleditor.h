#pragma once

#include "labelgrid.h"
#include "labelhistory.h"
#include "labelmarks.h"
#include "labelview.h"
#include "result.h"
#include "textcodec.h"

#include <optional>
#include <string>
#include <vector>

namespace verbolt {

/// The editing commands of the main window, on the grid and the label files: line display
/// and navigation, Apply, Duplicate French text and Find next. The window forwards its
/// events here; this class reaches the window only through LabelView.
///
/// The fields show a line only while exactly one row is selected and it is the list's
/// current row; in every other state they are empty and locked, and Apply with them. So
/// what Apply writes is always the line the translator is looking at.
class LabelEditor
{
public:
    LabelEditor(LabelGrid &grid, LabelMarks &marks, LabelView &view, std::string dir, CodePage page,
                std::string commentsName = "comments.cmt");

    /// Starts over on a grid loaded from `dir`: no current line, the fields empty.
    void reset(std::string dir, CodePage page, std::string commentsName);

    /// The list's current row is now `index` (-1: none): shows it in the fields when it is
    /// the one selected row, else empties and locks them. Fields already showing that line
    /// keep what the translator typed.
    void ShowLine(int index);
    void OnApply();
    void OnDuplicate();
    void OnFindNext();
    /// Ctrl+J and Ctrl+K: the next (or previous) line with a cell that needs work, round the
    /// end, becomes the current and only selected line.
    void OnNextLineNeedingWork(bool forward);
    /// Takes back the last Apply or Duplicate that wrote something, key by key, byte for
    /// byte; a key changed since by another program is left as it is and named.
    void OnUndo();
    /// Makes again what the last undo took back.
    void OnRedo();
    const LabelHistory &history() const { return m_history; }

    int currentLine() const { return m_nCurLine; }
    const std::string &currentId() const { return m_strCurId; }
    /// The row the fields show, or -1 while they are empty.
    int shownLine() const { return m_shownLine.value_or(-1); }
    const TextCodec &codec() const { return m_codec; }

    /// The file a column is written to: the one read at start-up, or header + ".lan".
    std::string columnPath(int column) const;

    static constexpr std::size_t kCommentLimit = 999;

private:
    // A language column with an editor field, and the text ShowLine put into the field.
    struct Field
    {
        int column;
        int editorId;
        std::string shown;
    };

    std::string utf8(std::string_view bytes) const { return m_codec.toUtf8(bytes); }
    std::vector<Field> fields() const;
    /// Whether a write of the row's key to `column` lands on another line than the cell's.
    bool writtenElsewhere(int row, int column) const;
    /// For each row, the row that shows the line a write of its key to `column` lands on.
    std::vector<int> landingRows(int column, const std::vector<int> &rows);
    /// Texts of these rows changed: their marks follow, the list repaints them.
    void rowsChanged(std::vector<int> rows);
    void exchange(LabelHistory::Command command, bool undo);
    void fillFields(int row);
    void clearFields();
    void report(const std::vector<std::string> &lines);
    /// The message line of a failed write.
    static std::string writeProblem(const Result &result);

    LabelGrid &m_grid;
    LabelMarks &m_marks;
    LabelView &m_view;
    TextCodec m_codec;
    std::string m_strDir;
    std::string m_commentsName;
    int m_nCurLine = -1;
    std::string m_strCurId;
    std::optional<int> m_shownLine; // unset until the fields are first shown or emptied
    std::vector<Field> m_fields;    // while a line is shown
    LabelHistory m_history;
};

} // namespace verbolt
