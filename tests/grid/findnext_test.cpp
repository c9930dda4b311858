#include "workspace.h"

#include <gtest/gtest.h>

#include <set>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Fourteen rows F0..F13. ENGLISH holds "abc" in rows 3, 4 and 13; id.lan gives a column ID
// whose row 7 reads "F2", the ID of row 2.
void writeSet(const TempDir &dir)
{
    std::string french = "[Label]\n", english = "[Label]\n", ids = "[Label]\n";
    for (int r = 0; r < 14; ++r) {
        const std::string n = std::to_string(r);
        french += "F" + n + "=" + (r == 5 ? "Cinq" : "mot " + n) + "\n";
        english += "F" + n + "=" +
                   (r == 3    ? "xABCx"
                    : r == 4  ? "abc"
                    : r == 13 ? "last abc"
                              : "e" + n) +
                   "\n";
        ids += "F" + n + "=" + (r == 7 ? "F2" : "i" + n) + "\n";
    }
    dir.write("french.lan", french);
    dir.write("english.lan", english);
    dir.write("id.lan", ids);
}

struct FindNext : testing::Test
{
    Workspace w;
    void SetUp() override
    {
        writeSet(w.dir);
        w.start();
    }
    int find(std::string_view column, std::string_view text)
    {
        w.view->findColumn = column;
        w.view->typeFind(text);
        w.editor->OnFindNext();
        return w.editor->currentLine();
    }
    void click(int row) { w.click(row); }
};

TEST_F(FindNext, SuccessiveClicksStepDownMissThenStartAgain)
{
    FakeView &v = *w.view;
    EXPECT_EQ(find("ENGLISH", "abc"), 3) << "abc finds xABCx";
    EXPECT_EQ(v.selection, (std::set<int>{3}));
    EXPECT_EQ(v.text("ENGLISH"), "xABCx");
    EXPECT_EQ(w.editor->currentId(), "F3");
    EXPECT_EQ(find("ENGLISH", "ABC"), 4);
    EXPECT_EQ(v.selection, (std::set<int>{4}));
    EXPECT_EQ(v.current, 4) << "the hit is the list's current row";
    EXPECT_EQ(find("ENGLISH", "ABC"), 13);

    // The miss: the last row loses its selection, no line is current, the fields empty,
    // nothing is said.
    EXPECT_EQ(find("ENGLISH", "ABC"), -1);
    EXPECT_TRUE(v.selection.empty());
    EXPECT_EQ(v.current, -1);
    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(v.text("ENGLISH"), "");
    EXPECT_EQ(v.applyEnabled, false);

    EXPECT_EQ(find("ENGLISH", "ABC"), 3);
    EXPECT_EQ(v.visibleRows, (std::vector<int>{3, 4, 13, 3}));
    EXPECT_EQ(v.focusCalls, 5);
}

TEST_F(FindNext, StartsBelowTheRowClicked)
{
    click(3);
    EXPECT_EQ(find("ENGLISH", "abc"), 4);
    // Row 5 itself is passed over until a miss sends the search back to the top.
    click(5);
    EXPECT_EQ(find("FRENCH", "cinq"), -1);
    EXPECT_EQ(find("FRENCH", "cinq"), 5);
    EXPECT_EQ(w.view->text("FRENCH"), "Cinq");
}

TEST_F(FindNext, SearchesTheLanguageColumnID)
{
    // Column 0 holds F2 on row 2, but IDs are never searched.
    EXPECT_EQ(find("ID", "f2"), 7);
    EXPECT_EQ(find("NO SUCH COLUMN", "mot"), -1);
    EXPECT_TRUE(w.view->messages.empty());
}

TEST_F(FindNext, AHitClearsTheOldLineAndTheOneAboveOnly)
{
    FakeView &v = *w.view;
    v.select({2, 6, 7, 9});
    v.current = 7;
    w.editor->ShowLine(7);
    EXPECT_EQ(find("ENGLISH", "E12"), 12);
    EXPECT_EQ(v.selection, (std::set<int>{2, 9, 12}));
    // The line display sees three selected rows.
    EXPECT_EQ(v.applyEnabled, false);
    EXPECT_EQ(v.text("ENGLISH"), "");
}

TEST_F(FindNext, EmptyTextWarnsAndAnEmptyGridMissesSilently)
{
    FakeView &v = *w.view;
    click(3);
    EXPECT_EQ(find("ENGLISH", ""), 3);
    EXPECT_EQ(v.messages, Strings{"Enter the string to find!"});
    EXPECT_EQ(v.selection, (std::set<int>{3}));
    EXPECT_EQ(v.focusCalls, 0);

    // A text the code page cannot hold is in no cell.
    EXPECT_EQ(find("ENGLISH", "\xCE\xA9"), -1);
    EXPECT_EQ(v.messages.size(), 1u);

    Workspace empty;
    empty.start();
    empty.view->typeFind("abc");
    empty.editor->OnFindNext();
    EXPECT_EQ(empty.editor->currentLine(), -1);
    EXPECT_TRUE(empty.view->messages.empty());
}

TEST(FindNextAccents, FoldInTheRunsCodePage)
{
    // The same texts as Windows-1252 bytes and as UTF-8: é/É fold either way.
    const std::pair<const char *, const char *> sets[] = {
        {"[Label]\nA=plain\nB=\xC9T\xC9\nC=l'\xE9t\xE9\n", "ENCODED"},
        {"[Label]\nA=plain\nB=\xC3\x89T\xC3\x89\nC=l'\xC3\xA9t\xC3\xA9\n", "UTF-8"},
    };
    for (const auto &[french, name] : sets) {
        SCOPED_TRACE(name);
        Workspace w;
        w.dir.write("french.lan", french);
        w.start();
        w.view->findColumn = "FRENCH";
        for (const char *typed : {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"}) { // été, ÉTÉ
            w.view->typeFind(typed);
            w.editor->OnFindNext();
            EXPECT_EQ(w.editor->currentLine(), 1);
            w.editor->OnFindNext();
            EXPECT_EQ(w.editor->currentLine(), 2);
            w.editor->OnFindNext();
            EXPECT_EQ(w.editor->currentLine(), -1);
        }
    }
}

} // namespace
