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

TEST(ShowLine, FieldsShowALineOnlyWhileItIsTheOneSelectedCurrentRow)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    const auto locked = [&] {
        return v.applyEnabled == false && v.text("FRENCH").empty() && v.text("ENGLISH").empty() &&
               !v.editorEnabled["FRENCH"] && !v.editorEnabled["ENGLISH"] && v.comment.empty();
    };
    EXPECT_TRUE(locked()) << "no line at start";

    w.click(1);
    EXPECT_EQ(v.applyEnabled, true);
    EXPECT_EQ(v.text("FRENCH"), "Deux");
    EXPECT_EQ(v.text("ENGLISH"), "Two");
    EXPECT_TRUE(v.editorEnabled["FRENCH"] && v.editorEnabled["ENGLISH"]);
    EXPECT_EQ(v.comment, "second");
    EXPECT_EQ(w.editor->currentId(), "B");
    // DUTCH has no field; ITALIAN has no column: neither field is ever touched.
    EXPECT_EQ(v.editorsWritten, (std::set<std::string>{"FRENCH", "ENGLISH"}));

    // A change that leaves the same line shown keeps what the translator typed.
    v.type("ENGLISH", "typed");
    w.editor->ShowLine(1);
    EXPECT_EQ(v.text("ENGLISH"), "typed");

    // The current row not selected, several rows selected, none selected, no current row.
    const std::pair<std::set<int>, int> states[] = {{{2}, 1}, {{1, 2}, 1}, {{}, 1}, {{1}, -1}};
    for (const auto &[selection, current] : states) {
        w.click(0);
        v.select(selection);
        w.editor->ShowLine(current);
        EXPECT_TRUE(locked()) << selection.size() << " selected, current " << current;
        EXPECT_EQ(w.editor->currentLine(), current);
        EXPECT_EQ(w.editor->shownLine(), -1);
    }
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
        w.click(0);
        EXPECT_EQ(w.view->comment, tail.substr(0, 999));
        w.click(1);
        EXPECT_EQ(w.view->comment, std::string(999, 'x'));
    }
    {
        Workspace w;
        w.dir.write("french.lan", "[Label]\nA=\xC3\xA9t\xC3\xA9\n");
        w.dir.write("comments.cmt", "[Label]\nA=" + tail + "\n");
        w.start();
        ASSERT_EQ(w.load().codePage, CodePage::Utf8);
        w.click(0);
        EXPECT_EQ(w.view->comment, std::string(998, 'y'));
    }
}

} // namespace
