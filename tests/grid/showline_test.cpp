#include "controlids.h"
#include "workspace.h"

#include <gtest/gtest.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

void writeSet(const TempDir &dir)
{
    dir.write("french.lan", "[Label]\nA=Un\nB=Deux\nC=Trois\n");
    dir.write("english.lan", "[Label]\nA=One\nB=Two\nC=Three\n");
    dir.write("dutch.lan", "[Label]\nA=Een\nB=Twee\nC=Drie\n");
    dir.write("comments.cmt", "[Label]\nA=first comment\nB=second\nC=third\n");
}

TEST(ShowLine, SelectedCountDecidesFieldsApplyAndComment)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;

    // No row selected: filled and enabled, but no comment (row B has one).
    w.editor->ShowLine(1);
    EXPECT_EQ(v.applyEnabled, true);
    EXPECT_EQ(v.text(IDC_EDIT_FRENCH), "Deux");
    EXPECT_EQ(v.text(IDC_EDIT_ENGLISH), "Two");
    EXPECT_TRUE(v.editorEnabled[IDC_EDIT_FRENCH] && v.editorEnabled[IDC_EDIT_ENGLISH]);
    EXPECT_EQ(v.comment, "");
    EXPECT_EQ(w.editor->currentLine(), 1);
    EXPECT_EQ(w.editor->currentId(), "B");
    // DUTCH has no field; ITALIAN has no column: neither field is ever touched.
    EXPECT_EQ(v.editorsWritten, (std::set<int>{IDC_EDIT_FRENCH, IDC_EDIT_ENGLISH}));

    // One row selected: the comment is that of the row shown, not of the selected one.
    v.select({2});
    w.editor->ShowLine(0);
    EXPECT_EQ(v.comment, "first comment");
    EXPECT_EQ(v.text(IDC_EDIT_FRENCH), "Un");

    // No row to show: only Apply follows the selection.
    v.select({0, 2});
    w.editor->ShowLine(-1);
    EXPECT_EQ(v.applyEnabled, false);
    EXPECT_EQ(v.comment, "first comment");
    EXPECT_EQ(v.text(IDC_EDIT_ENGLISH), "One");
    EXPECT_TRUE(v.editorEnabled[IDC_EDIT_ENGLISH]);
    EXPECT_EQ(w.editor->currentLine(), 0);
    EXPECT_EQ(w.editor->currentId(), "A");

    // Two rows selected: the fields empty and lock, but the current line still moves.
    w.editor->ShowLine(2);
    EXPECT_EQ(v.applyEnabled, false);
    EXPECT_EQ(v.text(IDC_EDIT_FRENCH), "");
    EXPECT_EQ(v.text(IDC_EDIT_ENGLISH), "");
    EXPECT_FALSE(v.editorEnabled[IDC_EDIT_FRENCH] || v.editorEnabled[IDC_EDIT_ENGLISH]);
    EXPECT_EQ(v.comment, "");
    EXPECT_EQ(w.editor->currentLine(), 2);
    EXPECT_EQ(w.editor->currentId(), "C");
}

TEST(ShowLine, CommentIsCutTo999BytesOnACharacterBoundary)
{
    const std::string tail = std::string(998, 'y') + "\xC3\xA9zz"; // é across byte 999
    {
        // Windows-1252 has no multi-byte characters: exactly 999 bytes. The comment file
        // is found whatever the letter case of its name.
        Workspace w;
        w.dir.write("french.lan", "[Label]\nA=Un\nB=Deux\n");
        w.dir.write("Comments.CMT", "[Label]\nA=" + tail + "\nB=" + std::string(1500, 'x'));
        w.start();
        w.view->select({0});
        w.editor->ShowLine(0);
        EXPECT_EQ(w.view->comment, tail.substr(0, 999));
        w.editor->ShowLine(1);
        EXPECT_EQ(w.view->comment, std::string(999, 'x'));
    }
    {
        Workspace w;
        w.dir.write("french.lan", "[Label]\nA=\xC3\xA9t\xC3\xA9\n");
        w.dir.write("comments.cmt", "[Label]\nA=" + tail + "\n");
        w.start();
        ASSERT_EQ(w.load.codePage, CodePage::Utf8);
        w.view->select({0});
        w.editor->ShowLine(0);
        EXPECT_EQ(w.view->comment, std::string(998, 'y'));
    }
}

TEST(ShowLine, ArrowKeysMoveTheCurrentLineWithinTheGrid)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    struct Step
    {
        int key;
        int line;           // current line afterwards
        bool shown;         // ShowLine ran
        const char *french; // French field afterwards
    };
    const Step steps[] = {
        {VK_UP, -1, false, ""},      // nothing current yet: Up does nothing
        {VK_DOWN, 0, true, "Un"},    // Down shows the first row
        {VK_UP, 0, true, "Un"},      // Up on row 0 shows it again
        {VK_DOWN, 1, true, "Deux"},  //
        {VK_DOWN, 2, true, "Trois"}, //
        {VK_DOWN, 2, true, "Trois"}, // Down on the last row shows it again
        {13, 2, false, "Trois"},     // any other key: nothing
        {VK_UP, 1, true, "Deux"},
    };
    for (const Step &s : steps) {
        const int before = v.applyStateSets;
        v.editors[IDC_EDIT_FRENCH] = "typed";
        w.editor->OnKeydownList(s.key);
        SCOPED_TRACE(testing::Message() << "key " << s.key << " to line " << s.line);
        EXPECT_EQ(w.editor->currentLine(), s.line);
        EXPECT_EQ(v.applyStateSets, before + (s.shown ? 1 : 0));
        EXPECT_EQ(v.text(IDC_EDIT_FRENCH), s.shown ? s.french : "typed");
    }

    // An empty grid: Down leaves no current line and only refreshes Apply; Up does nothing.
    Workspace empty;
    empty.start();
    empty.view->select({});
    empty.editor->OnKeydownList(VK_DOWN);
    EXPECT_EQ(empty.editor->currentLine(), -1);
    EXPECT_EQ(empty.view->applyStateSets, 1);
    EXPECT_TRUE(empty.view->editorsWritten.empty());
    empty.editor->OnKeydownList(VK_UP);
    EXPECT_EQ(empty.view->applyStateSets, 1);
}

} // namespace
