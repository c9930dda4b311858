#pragma once

#include "labelhistory.h"
#include "labelsession.h"
#include "labelview.h"
#include "textcodec.h"

#include <optional>
#include <string>
#include <vector>

namespace verbolt {

/// The editing commands of the main window as the translator meets them: line display and
/// navigation, Apply, Duplicate French text, Find next, undo and redo. It reads what the
/// window holds (fields, selection, drop-down lists) through LabelView, has the session do
/// the work, and shows the window what changed.
///
/// The fields show a line only while exactly one row is selected and it is the list's
/// current row; in every other state they are empty and locked, and Apply with them. So
/// what Apply writes is always the line the translator is looking at.
class LabelEditor
{
public:
    LabelEditor(LabelSession &session, LabelView &view);

    /// Starts over on another session (a folder loaded): no current line, the fields empty.
    void setSession(LabelSession &session);
    LabelSession &session() const { return *m_session; }

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
    /// Files another program changed were read again: the line shown follows them, but for
    /// the fields the translator typed in.
    void OnReloaded(const CommandOutcome &outcome) { present(outcome, true); }
    const LabelHistory &history() const { return m_session->history(); }

    int currentLine() const { return m_nCurLine; }
    const std::string &currentId() const { return m_strCurId; }
    /// The row the fields show, or -1 while they are empty.
    int shownLine() const { return m_shownLine.value_or(-1); }
    const TextCodec &codec() const { return m_session->codec(); }
    std::string columnPath(int column) const { return m_session->columnPath(column); }

private:
    // A language column with an editor field, and the text ShowLine put into the field.
    struct Field
    {
        int column;
        std::string header;
        std::string shown;
    };

    std::vector<Field> fields() const;
    void fillFields(int row);
    /// Asks about the keys another program changed: false when cancelled; "Write mine"
    /// empties `skip`, "Keep theirs" keeps it, the keys to leave.
    bool settleConflicts(std::vector<Conflict> &skip);
    void clearFields();
    /// Shows the window what a command changed, then its problems. After an undo or redo
    /// (`exchanged`) the line shown follows the texts it took back.
    void present(const CommandOutcome &outcome, bool exchanged = false);

    LabelSession *m_session;
    LabelView &m_view;
    int m_nCurLine = -1;
    std::string m_strCurId;
    std::optional<int> m_shownLine; // unset until the fields are first shown or emptied
    std::vector<Field> m_fields;    // while a line is shown
};

} // namespace verbolt
