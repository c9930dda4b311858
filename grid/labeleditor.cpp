#include "labeleditor.h"
#include "asciifold.h"
#include "blanks.h"

#include "filepath.h"
#include "labeldirectory.h"
#include "labelmarks.h"
#include "labelreader.h"
#include "languagetable.h"
#include "profileedit.h"
#include "profilefile.h"

#include <algorithm>

namespace verbolt {

LabelEditor::LabelEditor(LabelGrid &grid, LabelMarks &marks, LabelView &view, std::string dir,
                         CodePage page, std::string commentsName)
    : m_grid(grid), m_marks(marks), m_view(view), m_codec(page), m_strDir(std::move(dir)),
      m_commentsName(std::move(commentsName))
{}

void LabelEditor::reset(std::string dir, CodePage page, std::string commentsName)
{
    // The fields of the line shown empty and lock, also those of languages the new grid
    // has no column for.
    for (const Field &f : m_fields) {
        m_view.setEditorText(f.editorId, {});
        m_view.setEditorEnabled(f.editorId, false);
    }
    m_strDir = std::move(dir);
    m_codec = TextCodec(page);
    m_commentsName = std::move(commentsName);
    m_nCurLine = -1;
    m_strCurId.clear();
    m_fields.clear();
    m_shownLine.reset();
    m_history.clear();
    ShowLine(-1);
}

std::string LabelEditor::columnPath(int column) const
{
    const std::string header(m_grid.header(column).value_or(""));
    return LabelDirectory::resolve(m_strDir, m_grid.fileName(column), header + ".lan");
}

std::vector<LabelEditor::Field> LabelEditor::fields() const
{
    std::vector<Field> out;
    for (int c = 0; const auto header = m_grid.header(c); ++c)
        if (const Language *language = LanguageTable::byColumnName(*header))
            out.push_back({c, language->editorId, {}});
    return out;
}

void LabelEditor::ShowLine(int index)
{
    m_nCurLine = index >= 0 && index < m_grid.rowCount() ? index : -1;
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

bool LabelEditor::writtenElsewhere(int row, int column) const
{
    // A write goes by key to the first line holding it in a [Label] section: for a cell whose
    // line holds another key or stands in another section, a row with no line, or an ID
    // standing earlier in french.lan, that line is not the one this cell shows.
    return (m_marks.at(row, column) & (Mark::OutOfStep | Mark::Missing | Mark::OtherSection)) ||
           (m_marks.at(row, 1) & (Mark::RepeatedId | Mark::OtherSection));
}

void LabelEditor::fillFields(int row)
{
    m_marks.computeThrough(row);
    m_strCurId = std::string(m_grid.itemText(row, 0));
    m_fields = fields();
    for (Field &f : m_fields) {
        // A field edits the row's own key: where the cell shows another line, the field
        // shows that key's text as its file holds it.
        f.shown = writtenElsewhere(row, f.column)
                      ? ProfileFile::readKey(columnPath(f.column), m_strCurId, std::string::npos)
                      : std::string(m_grid.itemText(row, f.column));
        m_view.setEditorText(f.editorId, f.shown);
        m_view.setEditorEnabled(f.editorId, true);
    }
    m_view.setApplyEnabled(true);
    const std::string comment =
        ProfileFile::readKey(LabelDirectory::resolve(m_strDir, m_commentsName, "comments.cmt"),
                             m_strCurId, std::string::npos);
    // Cut on a character boundary so a UTF-8 comment never ends in half a character.
    m_view.setCommentText(m_codec.prefix(comment, kCommentLimit));
    m_shownLine = row;
}

void LabelEditor::clearFields()
{
    // Fields of languages without a column are never touched: they stay locked.
    for (const Field &f : fields()) {
        m_view.setEditorText(f.editorId, {});
        m_view.setEditorEnabled(f.editorId, false);
    }
    m_fields.clear();
    m_view.setApplyEnabled(false);
    m_view.setCommentText({});
    m_shownLine = -1;
}

void LabelEditor::OnApply()
{
    const int row = shownLine();
    if (row < 0)
        return; // the fields show no line: there is nothing of the translator's to write

    // Only fields the translator changed are written: an untouched field may show a text
    // that is not this key's in its file (a file out of French order, or changed on disk
    // since), and writing it back would overwrite the file's text with it. Every changed
    // field is checked before anything is written.
    struct Pending
    {
        Field *field;
        std::string text;
    };
    std::vector<Pending> pending;
    for (Field &f : m_fields) {
        std::optional<std::string> text = m_view.editorText(f.editorId);
        if (text && *text == f.shown)
            continue;
        if (!text || !ProfileEdit::storable(*text)) {
            m_view.showMessage("The " + utf8(*m_grid.header(f.column)) +
                               " text holds characters that these label files cannot store.");
            return;
        }
        pending.push_back({&f, std::move(*text)});
    }

    // A cell takes the new text only once its file holds it, and only the cell that shows
    // the line written; after a failure the field keeps what was typed, so Apply retries.
    std::vector<std::string> failed;
    std::vector<int> changed{row};
    LabelHistory::Command command{"Apply to " + utf8(m_strCurId), {}, {}};
    for (Pending &p : pending) {
        const int column = p.field->column;
        LabelHistory::FileRecord record{column, columnPath(column), {}};
        const Result r =
            ProfileFile::writeKey(record.path, m_strCurId, p.text, m_strDir, &record.changes);
        if (!r.ok()) {
            failed.push_back(writeProblem(r));
            continue;
        }
        if (const int shown = landingRows(column, {row}).front(); shown >= 0) {
            m_grid.setItemText(shown, column, p.text);
            changed.push_back(shown);
        }
        p.field->shown = std::move(p.text);
        command.files.push_back(std::move(record));
    }
    m_history.record(std::move(command));
    if (!pending.empty())
        rowsChanged(changed);
    ProfileFile::releaseBuffers();
    report(failed);
}

void LabelEditor::OnDuplicate()
{
    const std::string target = m_view.dupTargetText();
    if (target.empty()) {
        m_view.showMessage("Select a language");
        return;
    }
    const std::vector<int> rows = m_view.selectedRows();

    // The target columns: every language column for "All", else the one of that header.
    // The ID and FRENCH columns are never written.
    std::vector<int> targets;
    for (int c = 2; const auto header = m_grid.header(c); ++c)
        if (target == "All" || *header == target)
            targets.push_back(c);

    // Every target file gets the same keys: one batch per file, with the same result as one
    // write per cell. A row the files cannot hold is left out and named; the rest go on.
    std::vector<std::string> problems;
    std::vector<KeyValue> writes;
    std::vector<int> written;
    writes.reserve(rows.size());
    written.reserve(rows.size());
    for (const int r : rows) {
        if (r < 0 || r >= m_grid.rowCount())
            continue;
        const std::string_view id = m_grid.itemText(r, 0);
        const std::string_view french = m_grid.itemText(r, 1);
        if (!ProfileEdit::storable(id) || !ProfileEdit::storable(french)) {
            problems.push_back("The ID or FRENCH text of " + utf8(id) +
                               " holds characters that these label files cannot store.");
            continue;
        }
        writes.push_back({std::string(id), std::string(french)});
        written.push_back(r);
    }

    // The fields mirror the copy only when the one selected row is the line they show.
    const bool mirror = rows.size() == 1 && shownLine() == rows.front();
    std::vector<int> changed;
    LabelHistory::Command command{"Duplicate into " + utf8(target),
                                  std::to_string(written.size()) +
                                      (written.size() == 1 ? " line" : " lines"),
                                  {}};
    if (!writes.empty()) {
        for (const int c : targets) {
            LabelHistory::FileRecord record{c, columnPath(c), {}};
            const Result r = ProfileFile::writeKeys(record.path, writes, m_strDir, &record.changes);
            if (!r.ok()) {
                problems.push_back(writeProblem(r));
                continue;
            }
            const std::vector<int> shown = landingRows(c, written);
            for (std::size_t i = 0; i < written.size(); ++i)
                if (shown[i] >= 0) {
                    m_grid.setItemText(shown[i], c, writes[i].value);
                    changed.push_back(shown[i]);
                }
            if (mirror)
                for (Field &f : m_fields)
                    if (f.column == c) {
                        f.shown = writes.front().value;
                        m_view.setEditorText(f.editorId, f.shown);
                    }
            command.files.push_back(std::move(record));
        }
        m_history.record(std::move(command));
        rowsChanged(changed);
    }
    ProfileFile::releaseBuffers();
    report(problems);
}

void LabelEditor::OnFindNext()
{
    const std::optional<std::string> text = m_view.findText();
    if (text && text->empty()) {
        m_view.showMessage("Enter the string to find!");
        return;
    }
    const std::string column = m_view.findColumnText();
    int searched = 1;
    while (m_grid.header(searched) && *m_grid.header(searched) != column)
        ++searched;

    const int old = m_nCurLine;
    const int start = old < 0 ? 0 : old + 1;
    int hit = -1;
    // A text the code page cannot hold is in no cell: the search misses.
    if (text && m_grid.header(searched)) {
        const std::string needle = m_codec.upper(*text);
        std::string scratch;
        for (int r = start; r < m_grid.rowCount(); ++r)
            if (m_codec.containsUpper(m_grid.itemText(r, searched), needle, scratch)) {
                hit = r;
                break;
            }
    }

    const auto clearSelected = [&](int row) {
        if (row >= 0 && row < m_grid.rowCount() && m_view.isRowSelected(row))
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

std::vector<int> LabelEditor::landingRows(int column, const std::vector<int> &rows)
{
    if (!rows.empty())
        m_marks.computeThrough(*std::max_element(rows.begin(), rows.end()));
    std::vector<int> out(rows.size(), -1);
    std::vector<std::string_view> keys;
    std::vector<std::size_t> asked;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view id = m_grid.itemText(rows[i], 0);
        if (column == 1) {
            out[i] = m_marks.frenchRow(id);
        } else if (!writtenElsewhere(rows[i], column)) {
            out[i] = rows[i];
        } else {
            keys.push_back(id);
            asked.push_back(i);
        }
    }
    const std::vector<int> found = m_marks.rowsOfKeys(column, keys);
    for (std::size_t k = 0; k < asked.size(); ++k)
        out[asked[k]] = found[k];
    return out;
}

void LabelEditor::OnUndo()
{
    if (m_history.canUndo())
        exchange(m_history.takeUndo(), true);
}

void LabelEditor::OnRedo()
{
    if (m_history.canRedo())
        exchange(m_history.takeRedo(), false);
}

void LabelEditor::exchange(LabelHistory::Command command, bool undo)
{
    std::vector<std::string> problems;
    std::vector<int> changed;
    bool shownChanged = false;
    // A file that could not be written keeps its part of the command where it was, so the
    // same key tries again.
    LabelHistory::Command left{command.name, command.about, {}};
    for (LabelHistory::FileRecord &file : command.files) {
        const ProfileFile::Reverted r =
            ProfileFile::revertKeys(file.path, file.changes, undo, m_strDir);
        if (!r.result.ok()) {
            problems.push_back(writeProblem(r.result));
            left.files.push_back(std::move(file));
            file.changes.keys.clear();
            continue;
        }
        // The keys exchanged stay in the command, for the other way; the cells that show
        // their lines follow.
        std::vector<bool> exchanged(file.changes.keys.size(), false);
        std::vector<int> rows;
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < file.changes.keys.size(); ++i) {
            const KeyChange k = file.changes.keys[i];
            if (!r.applied[i]) {
                problems.push_back(utf8(k.key) + " in " + FilePath::nameOf(file.path) +
                                   " was changed since; it was left as it is.");
                continue;
            }
            const std::optional<std::string_view> now = undo ? k.before : k.after;
            const int row = m_marks.frenchRow(k.key);
            shownChanged = shownChanged || (row >= 0 && row == shownLine()) ||
                           ProfileEdit::sameKey(k.key, m_strCurId);
            if (now && row >= 0) {
                rows.push_back(row);
                texts.emplace_back(Blanks::trim(*now));
            }
            exchanged[i] = true;
        }
        const std::vector<int> shown = landingRows(file.column, rows);
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (shown[i] >= 0) {
                m_grid.setItemText(shown[i], file.column, texts[i]);
                changed.push_back(shown[i]);
            }
        file.changes.keys.keepOnly(exchanged);
    }
    if (undo) {
        m_history.pushRedo(std::move(command));
        m_history.pushUndo(std::move(left));
    } else {
        m_history.pushUndo(std::move(command));
        m_history.pushRedo(std::move(left));
    }
    rowsChanged(changed);
    ProfileFile::releaseBuffers();
    // The line shown again when its texts changed; it stays the current line.
    if (shownChanged && shownLine() >= 0) {
        m_shownLine.reset();
        ShowLine(m_nCurLine);
    }
    report(problems);
}

void LabelEditor::rowsChanged(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int r : rows)
        m_marks.refreshRow(r);
    if (!rows.empty())
        m_view.cellsChanged(rows.front(), rows.back());
}

void LabelEditor::OnNextLineNeedingWork(bool forward)
{
    const int rows = m_grid.rowCount();
    if (rows == 0)
        return;
    m_marks.computeAll();
    // From the line after (or before) the current one, round the end; without a current
    // line from the top (or the bottom).
    int row = m_nCurLine < 0 ? (forward ? -1 : rows) : m_nCurLine;
    for (int step = 0; step < rows; ++step) {
        row = forward ? (row + 1) % rows : (row - 1 + rows) % rows;
        if (m_marks.needsWork(row)) {
            m_view.moveToRow(row);
            ShowLine(row);
            return;
        }
    }
}

std::string LabelEditor::writeProblem(const Result &result)
{
    if (result.failure() == Result::Failure::LinksOutside)
        return "The file " + FilePath::nameOf(result.path()) +
               " links outside the label folder; it was not written.";
    return "Unable to write the file " + result.path() + ".";
}

void LabelEditor::report(const std::vector<std::string> &lines)
{
    if (lines.empty())
        return;
    std::string message;
    for (const std::string &line : lines) {
        if (!message.empty())
            message += '\n';
        message += line;
    }
    m_view.showMessage(message);
}

} // namespace verbolt
