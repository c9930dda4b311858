#include "labeleditor.h"

#include "profileedit.h"

#include <algorithm>

namespace verbolt {

LabelEditor::LabelEditor(LabelSession &session, LabelView &view) : m_session(&session), m_view(view)
{}

void LabelEditor::setSession(LabelSession &session)
{
    // The fields of the line shown empty and lock, also those of languages the new session
    // has no column for.
    for (const Field &f : m_fields) {
        m_view.setFieldText(f.header, {});
        m_view.setFieldEnabled(f.header, false);
    }
    m_session = &session;
    m_nCurLine = -1;
    m_strCurId.clear();
    m_fields.clear();
    m_shownLine.reset();
    ShowLine(-1);
}

std::vector<LabelEditor::Field> LabelEditor::fields() const
{
    std::vector<Field> out;
    const LabelGrid &grid = m_session->grid();
    for (int c = 1; const auto header = grid.header(c); ++c)
        if (m_view.hasField(*header))
            out.push_back({c, std::string(*header), {}});
    return out;
}

void LabelEditor::ShowLine(int index)
{
    const LabelGrid &grid = m_session->grid();
    m_nCurLine = index >= 0 && index < grid.rowCount() ? index : -1;
    // Asking whether the row is selected first spares counting a large selection.
    const bool single =
        m_nCurLine >= 0 && m_view.isRowSelected(m_nCurLine) && m_view.selectedCount() == 1;
    const int wanted = single ? m_nCurLine : -1;
    if (m_shownLine == wanted)
        return; // a change of selection that leaves the same line: keep what was typed
    if (single)
        fillFields(m_nCurLine);
    else
        clearFields();
}

void LabelEditor::fillFields(int row)
{
    m_strCurId = std::string(m_session->grid().itemText(row, 0));
    m_fields = fields();
    for (Field &f : m_fields) {
        // A field edits the row's own key: where the cell shows another line, the field
        // shows that key's text as its file holds it.
        f.shown = m_session->keyText(row, f.column);
        m_view.setFieldText(f.header, f.shown);
        m_view.setFieldEnabled(f.header, true);
    }
    m_view.setApplyEnabled(true);
    m_view.setCommentText(m_session->comment(m_strCurId));
    m_view.setShownId(m_strCurId);
    m_shownLine = row;
}

void LabelEditor::clearFields()
{
    // Fields of languages without a column are never touched: they stay locked.
    for (const Field &f : fields()) {
        m_view.setFieldText(f.header, {});
        m_view.setFieldEnabled(f.header, false);
    }
    m_fields.clear();
    m_view.setApplyEnabled(false);
    m_view.setCommentText({});
    m_view.setShownId({});
    m_shownLine = -1;
}

void LabelEditor::OnApply()
{
    const int row = shownLine();
    if (row < 0)
        return; // the fields show no line: there is nothing of the translator's to write

    // Only fields the translator changed are written: an untouched field may show a text
    // that is not this key's in its file (a file out of French order, or changed on disk
    // since), and writing it back would overwrite the file's text with it.
    std::vector<FieldEdit> edits;
    for (const Field &f : m_fields) {
        std::optional<std::string> text = m_view.fieldText(f.header);
        if (text && *text == f.shown)
            continue;
        if (!text) {
            m_view.showMessage("The " + codec().toUtf8(f.header) +
                               " text holds characters that these label files cannot store.");
            return;
        }
        edits.push_back({f.column, std::move(*text), f.shown});
    }
    // A text another program changed since the field showed it is not overwritten without
    // a word.
    std::vector<Conflict> skip = m_session->applyConflicts(row, edits);
    if (!settleConflicts(skip))
        return;
    const CommandOutcome outcome = m_session->apply(row, edits, skip);
    // After a failure the field keeps what was typed, so Apply retries.
    for (const FieldEdit &e : edits)
        if (std::find(outcome.writtenColumns.begin(), outcome.writtenColumns.end(), e.column) !=
            outcome.writtenColumns.end())
            for (Field &f : m_fields)
                if (f.column == e.column)
                    f.shown = e.text;
    present(outcome);
}

void LabelEditor::OnDuplicate()
{
    const std::string target = m_view.dupTargetText();
    if (target.empty()) {
        m_view.showMessage("Select a language");
        return;
    }
    const std::vector<int> rows = m_view.selectedRows();
    // Several translations are not replaced without a word; one line is, as it was asked.
    bool keep = false;
    if (rows.size() > 1)
        if (const int n = m_session->translatedLines(rows, target); n >= 2) {
            const std::string question =
                std::to_string(n) + " lines of " +
                (target == "All" ? std::string("the languages") : codec().toUtf8(target)) +
                " already hold a translation.";
            const int choice = m_view.ask(
                question, {"Fill only the empty and missing ones", "Replace them too"}, 0);
            if (choice < 0)
                return;
            keep = choice == 0;
        }
    std::vector<Conflict> skip = m_session->duplicateConflicts(rows, target);
    if (!settleConflicts(skip))
        return;
    const CommandOutcome outcome = m_session->duplicate(rows, target, keep, skip);
    // The fields mirror the copy only when the one selected row is the line they show.
    if (rows.size() == 1 && shownLine() == rows.front())
        for (Field &f : m_fields)
            if (std::find(outcome.writtenColumns.begin(), outcome.writtenColumns.end(), f.column) !=
                outcome.writtenColumns.end()) {
                f.shown = std::string(m_session->grid().itemText(rows.front(), 1));
                m_view.setFieldText(f.header, f.shown);
            }
    present(outcome);
}

bool LabelEditor::settleConflicts(std::vector<Conflict> &skip)
{
    if (skip.empty())
        return true;
    const int choice =
        m_view.ask(m_session->conflictQuestion(skip), {"Keep theirs", "Write mine"}, 0);
    if (choice == 1)
        skip.clear(); // mine: nothing is left out
    return choice >= 0;
}

void LabelEditor::OnFindNext()
{
    const std::optional<std::string> text = m_view.findText();
    if (text && text->empty()) {
        m_view.showMessage("Enter the string to find!");
        return;
    }
    const LabelGrid &grid = m_session->grid();
    const std::string column = m_view.findColumnText();
    int searched = 1;
    while (grid.header(searched) && *grid.header(searched) != column)
        ++searched;

    const int old = m_nCurLine;
    // A text the code page cannot hold is in no cell: the search misses.
    const int hit = text ? m_session->findNext(old < 0 ? 0 : old + 1, searched, *text,
                                               [this](int r) { return m_view.isRowShown(r); })
                         : -1;

    const auto clearSelected = [&](int row) {
        if (row >= 0 && row < grid.rowCount() && m_view.isRowSelected(row))
            m_view.setRowSelected(row, false);
    };
    clearSelected(old);
    if (hit < 0) {
        // No line is current any more: the next search starts at the top.
        m_view.setCurrentRow(-1);
        ShowLine(-1);
        m_view.focusList();
        return;
    }
    if (old != 0)
        clearSelected(old - 1);
    m_view.setRowSelected(hit, true);
    // The hit becomes the list's current row, so the next Down goes on below it.
    m_view.setCurrentRow(hit);
    m_view.ensureRowVisible(hit);
    ShowLine(hit);
    m_view.focusList();
}

void LabelEditor::OnUndo()
{
    if (history().canUndo())
        present(m_session->undo(), true);
}

void LabelEditor::OnRedo()
{
    if (history().canRedo())
        present(m_session->redo(), true);
}

void LabelEditor::present(const CommandOutcome &outcome, bool exchanged)
{
    const int rows = m_session->grid().rowCount();
    if (!outcome.reloadedColumns.empty() && rows > 0)
        m_view.cellsChanged(0, rows - 1);
    else if (!outcome.rows.empty())
        m_view.cellsChanged(outcome.rows.front(), outcome.rows.back());

    // The line shown again when its texts changed under it (an undo, a column read afresh);
    // it stays the current line.
    bool shownChanged = !outcome.reloadedColumns.empty();
    if (exchanged) {
        for (const std::string &key : outcome.keys)
            shownChanged = shownChanged || ProfileEdit::sameKey(key, m_strCurId);
        shownChanged = shownChanged ||
                       std::binary_search(outcome.rows.begin(), outcome.rows.end(), shownLine());
    }
    if (shownChanged && shownLine() >= 0 && (outcome.wrote() || !outcome.reloadedColumns.empty())) {
        // Fields the translator typed in keep their text; the others follow the files.
        std::vector<std::pair<std::string, std::string>> typed;
        for (const Field &f : m_fields)
            if (const auto text = m_view.fieldText(f.header); !text || *text != f.shown)
                typed.emplace_back(f.header, text.value_or(f.shown));
        m_shownLine.reset();
        ShowLine(m_nCurLine);
        for (const auto &[header, text] : typed)
            m_view.setFieldText(header, text);
    }

    if (!outcome.problems.empty())
        m_view.showMessage(outcome.problemText());
}

void LabelEditor::OnNextLineNeedingWork(bool forward)
{
    const int row = m_session->nextNeedingWork(m_nCurLine, forward,
                                               [this](int r) { return m_view.isRowShown(r); });
    if (row < 0)
        return;
    m_view.moveToRow(row);
    ShowLine(row);
}

} // namespace verbolt
