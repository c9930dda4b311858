#include "labeleditor.h"

#include "filepath.h"
#include "labeldirectory.h"
#include "languagetable.h"
#include "profileedit.h"
#include "profilefile.h"

#include <algorithm>

namespace verbolt {

LabelEditor::LabelEditor(LabelGrid &grid, LabelView &view, std::string dir, CodePage page,
                         std::string commentsName)
    : m_grid(grid), m_view(view), m_codec(page), m_strDir(std::move(dir)),
      m_commentsName(std::move(commentsName))
{}

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

void LabelEditor::fillFields(int row)
{
    m_fields = fields();
    for (Field &f : m_fields) {
        f.shown = std::string(m_grid.itemText(row, f.column));
        m_view.setEditorText(f.editorId, f.shown);
        m_view.setEditorEnabled(f.editorId, true);
    }
    m_view.setApplyEnabled(true);
    m_strCurId = std::string(m_grid.itemText(row, 0));
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

    // A cell takes the new text only once its file holds it; after a failure the field
    // keeps what was typed, so Apply again retries.
    std::vector<std::string> failed;
    for (Pending &p : pending) {
        const WriteResult r =
            ProfileFile::writeKey(columnPath(p.field->column), m_strCurId, p.text, m_strDir);
        if (!r.ok) {
            failed.push_back(writeProblem(r));
            continue;
        }
        m_grid.setItemText(row, p.field->column, p.text);
        p.field->shown = std::move(p.text);
    }
    if (!pending.empty())
        m_view.cellsChanged(row, row);
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
    if (!writes.empty()) {
        for (const int c : targets) {
            const WriteResult r = ProfileFile::writeKeys(columnPath(c), writes, m_strDir);
            if (!r.ok) {
                problems.push_back(writeProblem(r));
                continue;
            }
            for (std::size_t i = 0; i < written.size(); ++i)
                m_grid.setItemText(written[i], c, writes[i].value);
            if (mirror)
                for (Field &f : m_fields)
                    if (f.column == c) {
                        f.shown = writes.front().value;
                        m_view.setEditorText(f.editorId, f.shown);
                    }
        }
        m_view.cellsChanged(written.front(), written.back());
    }
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

std::string LabelEditor::writeProblem(const WriteResult &result)
{
    if (result.outside)
        return "The file " + FilePath::nameOf(result.path) +
               " links outside the label folder; it was not written.";
    return "Unable to write the file " + result.path + ".";
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
