#pragma once

#include "labelview.h"
#include "textcodec.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace verbolt::test {

/// A LabelView that records what the commands do to the window and answers from fields
/// the test sets. Texts typed by the "user" are UTF-8 and pass through the run's code page
/// as the real window's do, so a character the code page lacks reads as unstorable.
class FakeView : public LabelView
{
public:
    explicit FakeView(CodePage page = CodePage::Windows1252) : m_codec(page) {}

    // What the user does.
    void type(const std::string &field, std::string_view utf8)
    {
        editors[field] = m_codec.fromUtf8(utf8);
    }
    void typeFind(std::string_view utf8) { find = m_codec.fromUtf8(utf8); }
    void select(std::set<int> rows) { selection = std::move(rows); }

    // State of the list.
    int current = -1;

    // State of the window.
    std::set<int> selection;
    // By column header; code-page bytes; nothing: unstorable.
    std::map<std::string, std::optional<std::string>> editors;
    std::map<std::string, bool> editorEnabled;
    std::optional<bool> applyEnabled;
    std::string comment;
    std::string shownId;
    std::string dupTarget;
    std::string findColumn;
    std::optional<std::string> find = std::string();

    // What the commands did.
    std::vector<std::string> messages;
    std::set<std::string> editorsRead;
    std::set<std::string> editorsWritten;
    int applyStateSets = 0;
    int focusCalls = 0;
    std::vector<int> visibleRows;

    /// The editor text as bytes ("" for a field never set).
    std::string text(const std::string &field) const;

    int selectedCount() override { return static_cast<int>(selection.size()); }
    std::vector<int> selectedRows() override { return {selection.begin(), selection.end()}; }
    bool isRowSelected(int row) override { return selection.contains(row); }
    void setRowSelected(int row, bool selected) override;
    void setCurrentRow(int row) override { current = row; }
    void moveToRow(int row) override
    {
        selection = {row};
        current = row;
        visibleRows.push_back(row);
    }
    void ensureRowVisible(int row) override { visibleRows.push_back(row); }
    void focusList() override { ++focusCalls; }
    void cellsChanged(int, int) override {}

    /// The six known languages have a field, as in the window.
    bool hasField(std::string_view header) override;
    std::optional<std::string> fieldText(std::string_view header) override;
    void setFieldText(std::string_view header, std::string_view text) override;
    void setFieldEnabled(std::string_view header, bool enabled) override;
    void setApplyEnabled(bool enabled) override;
    void setCommentText(std::string_view text) override { comment = text; }
    void setShownId(std::string_view id) override { shownId = id; }

    std::string dupTargetText() override { return dupTarget; }
    std::string findColumnText() override { return findColumn; }
    std::optional<std::string> findText() override { return find; }

    void showMessage(const std::string &text) override { messages.push_back(text); }
    int ask(const std::string &question, const std::vector<std::string> &choices,
            int preferred) override
    {
        questions.push_back(question);
        asked.push_back(choices);
        if (answers.empty())
            return preferred;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    std::vector<std::string> questions;
    std::vector<std::vector<std::string>> asked;
    std::vector<int> answers; // in turn; the default once none is left

private:
    TextCodec m_codec;
};

} // namespace verbolt::test
