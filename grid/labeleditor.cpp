#include "labeleditor.h"

#include "controlids.h"
#include "labeldirectory.h"
#include "languagetable.h"
#include "profileedit.h"
#include "profilefile.h"

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

void LabelEditor::ShowLine(int index)
{
    const int n = m_view.selectedCount();
    const bool enabled = n <= 1;
    m_view.setApplyEnabled(enabled);
    if (index < 0)
        return;
    m_nCurLine = index;
    for (int c = 0; const auto header = m_grid.header(c); ++c) {
        const Language *language = LanguageTable::byColumnName(*header);
        if (!language)
            continue;
        m_view.setEditorText(language->editorId,
                             enabled ? m_grid.itemText(m_nCurLine, c) : std::string_view());
        m_view.setEditorEnabled(language->editorId, enabled);
    }
    m_strCurId = std::string(m_grid.itemText(m_nCurLine, 0));
    if (n == 1) {
        const std::string comment =
            ProfileFile::readKey(LabelDirectory::resolve(m_strDir, m_commentsName, "comments.cmt"),
                                 m_strCurId, std::string::npos);
        // Cut on a character boundary so a UTF-8 comment never ends in half a character.
        m_view.setCommentText(m_codec.prefix(comment, kCommentLimit));
    } else {
        m_view.setCommentText({});
    }
}

void LabelEditor::OnKeydownList(int key)
{
    if (key == VK_DOWN) {
        ++m_nCurLine;
        if (m_nCurLine > m_grid.rowCount() - 1)
            m_nCurLine = m_grid.rowCount() - 1;
        ShowLine(m_nCurLine);
    } else if (key == VK_UP) {
        if (m_nCurLine < 0)
            return;
        --m_nCurLine;
        if (m_nCurLine < 0)
            m_nCurLine = 0;
        ShowLine(m_nCurLine);
    }
}

void LabelEditor::OnApply()
{
    if (m_nCurLine < 0 || !m_grid.header(1))
        return;

    // Every field is checked before anything is written, so a refused text leaves the
    // grid and every file as they were.
    struct Pending
    {
        int column;
        std::string text;
    };
    std::vector<Pending> pending;
    for (int c = 1; const auto header = m_grid.header(c); ++c) {
        // A column without an editor field (a further language) has no edited text: it
        // keeps its cell and its file.
        const Language *language = LanguageTable::byColumnName(*header);
        if (!language)
            continue;
        std::optional<std::string> text = m_view.editorText(language->editorId);
        if (!text || !ProfileEdit::storable(*text)) {
            m_view.showMessage("The " + utf8(*header) +
                               " text holds characters that these label files cannot store.");
            return;
        }
        pending.push_back({c, std::move(*text)});
    }

    std::vector<std::string> failed;
    for (const Pending &p : pending) {
        m_grid.setItemText(m_nCurLine, p.column, p.text);
        const WriteResult r = ProfileFile::writeKey(columnPath(p.column), m_strCurId, p.text);
        if (!r.ok)
            failed.push_back(r.path);
    }
    m_view.cellsChanged(m_nCurLine, m_nCurLine);
    reportWriteFailures(failed);
}

void LabelEditor::OnDuplicate()
{
    const std::string target = m_view.dupTargetText();
    if (target.empty()) {
        m_view.showMessage("Select a language");
        return;
    }
    const std::vector<int> rows = m_view.selectedRows();
    const std::size_t n = rows.size();

    // The target columns: every language column for "All", else the one of that header.
    // The ID and FRENCH columns are never written.
    std::vector<int> targets;
    for (int c = 2; const auto header = m_grid.header(c); ++c)
        if (target == "All" || *header == target)
            targets.push_back(c);

    // Every target file gets the same keys: one batch, written once per file after the grid
    // is updated, with the same result as one write per cell.
    std::vector<KeyValue> writes;
    writes.reserve(rows.size());
    for (const int r : rows) {
        if (r < 0 || r >= m_grid.rowCount())
            continue;
        writes.push_back({std::string(m_grid.itemText(r, 0)), std::string(m_grid.itemText(r, 1))});
        const std::string &french = writes.back().value;
        for (const int c : targets) {
            if (n == 1)
                if (const Language *l = LanguageTable::byColumnName(*m_grid.header(c)))
                    m_view.setEditorText(l->editorId, french);
            m_grid.setItemText(r, c, french);
        }
    }
    std::vector<std::string> failed;
    if (!writes.empty())
        for (const int c : targets)
            if (const WriteResult r = ProfileFile::writeKeys(columnPath(c), writes); !r.ok)
                failed.push_back(r.path);
    if (!rows.empty())
        m_view.cellsChanged(rows.front(), rows.back());
    reportWriteFailures(failed);
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

    const int start = m_nCurLine < 0 ? 0 : m_nCurLine + 1;
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
    if (hit < 0) {
        clearSelected(m_nCurLine);
        m_nCurLine = -1;
        m_view.focusList();
        return;
    }
    clearSelected(m_nCurLine);
    if (m_nCurLine != 0)
        clearSelected(m_nCurLine - 1);
    m_view.selectFoundRow(hit);
    m_view.ensureRowVisible(hit);
    ShowLine(hit);
    m_nCurLine = hit;
    m_view.focusList();
}

void LabelEditor::reportWriteFailures(const std::vector<std::string> &paths)
{
    if (paths.empty())
        return;
    std::string message;
    for (const std::string &p : paths) {
        if (!message.empty())
            message += '\n';
        message += "Unable to write the file " + p + ".";
    }
    m_view.showMessage(message);
}

} // namespace verbolt
