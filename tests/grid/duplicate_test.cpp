#include "filepath.h"
#include "frenchorder.h"
#include "profilefile.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Columns ID, FRENCH, ALL, DUTCH, ENGLISH, GERMAN, ID; english.lan lacks K4.
void writeSet(const TempDir &dir)
{
    dir.write("french.lan", "[Label]\r\nK1=Un\r\nK2=Deux\r\nK3=\r\nK4=Quatre\r\n");
    dir.write("all.lan", "[Label]\nK1=a1\nK2=a2\nK3=a3\nK4=a4\n");
    dir.write("dutch.lan", "[Label]\nK1=Een\nK2=Twee\nK3=Drie\nK4=Vier\n");
    dir.write("english.lan", "[Label]\r\nK1=One\r\nK2=Two\r\nK3=Three\r\n");
    dir.write("german.lan", "[Label]\nK1=Eins\nK2=Zwei\nK3=Drei\nK4=Vier\n");
    dir.write("id.lan", "[Label]\nK1=i1\nK2=i2\nK3=i3\nK4=i4\n");
}

TEST(Duplicate, WithoutATargetWarnsAndChangesNothing)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    w.view->select({0, 1});
    const auto files = snapshot(w.dir);
    const auto cells = w.cells();
    w.editor->OnDuplicate(); // the empty entry is selected after start-up
    EXPECT_EQ(w.view->messages, Strings{"Select a language"});
    EXPECT_EQ(snapshot(w.dir), files);
    EXPECT_EQ(w.cells(), cells);

    Workspace empty; // nothing loaded: the list is empty
    empty.start();
    empty.editor->OnDuplicate();
    EXPECT_EQ(empty.view->messages, Strings{"Select a language"});
}

TEST(Duplicate, TheTargetChoosesTheColumnsOfOneSelectedRow)
{
    const std::map<std::string, std::set<int>> targets = {
        {"ENGLISH", {4}}, {"ALL", {2}}, {"ID", {6}}, {"All", {2, 3, 4, 5, 6}}};
    const std::map<int, std::pair<std::string, std::string>> files = {
        {2, {"all.lan", "K2=a2"}},
        {3, {"dutch.lan", "K2=Twee"}},
        {4, {"english.lan", "K2=Two"}},
        {5, {"german.lan", "K2=Zwei"}},
        {6, {"id.lan", "K2=i2"}}};
    for (const auto &[target, columns] : targets) {
        SCOPED_TRACE(target);
        Workspace w;
        writeSet(w.dir);
        w.start();
        FakeView &v = *w.view;
        w.click(1);
        v.dupTarget = target;
        const auto before = snapshot(w.dir);
        const auto cells = w.cells();
        const std::string comment = v.comment;
        w.editor->OnDuplicate();

        EXPECT_TRUE(v.messages.empty());
        for (int c = 0; c < w.grid().columnCount(); ++c) {
            SCOPED_TRACE(c);
            const bool written = columns.contains(c);
            EXPECT_EQ(w.grid().itemText(1, c), written ? "Deux" : cells[c][1]);
            if (c < 2)
                continue;
            const auto &[name, line] = files.at(c);
            std::string expected = before.at(name);
            if (written)
                expected.replace(expected.find(line), line.size(), "K2=Deux");
            EXPECT_EQ(w.dir.read(name), expected);
        }
        EXPECT_EQ(w.dir.read("french.lan"), before.at("french.lan"));
        // The one selected row is the line shown: the fields written mirror the copy.
        EXPECT_EQ(v.text("ENGLISH"), columns.contains(4) ? "Deux" : "Two");
        EXPECT_EQ(v.text("GERMAN"), columns.contains(5) ? "Deux" : "Zwei");
        EXPECT_EQ(v.text("FRENCH"), "Deux");
        EXPECT_EQ(w.editor->currentLine(), 1);
        EXPECT_EQ(v.comment, comment);
        EXPECT_EQ(v.selection, (std::set<int>{1}));
    }
}

TEST(Duplicate, LeavesTheFieldsOfAnotherLineAlone)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    w.click(0);
    v.select({1}); // one selected row, not the current line
    v.dupTarget = "All";
    v.editorsWritten.clear();
    w.editor->OnDuplicate();
    EXPECT_TRUE(v.editorsWritten.empty());
    EXPECT_EQ(v.text("ENGLISH"), "One");
    EXPECT_EQ(w.grid().itemText(1, 4), "Deux");
    // Apply afterwards writes nothing of row 1 under row 0's key.
    w.editor->OnApply();
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\r\nK1=One\r\nK2=Deux\r\nK3=Three\r\n");
}

TEST(Duplicate, WritesTheRowsItCanStoreAndNamesTheOthers)
{
    Workspace w;
    w.dir.write("french.lan", std::string("[Label]\nK1=Un\nK2=De\rux\nK3=Trois\nK\0=Z\n", 37));
    w.dir.write("english.lan", "[Label]\nK1=One\nK2=Two\nK3=Three\n");
    w.start();
    ASSERT_EQ(w.grid().rowCount(), 4);
    w.view->select({0, 1, 2, 3});
    w.view->dupTarget = "ENGLISH";
    w.view->answers = {1}; // replace the translations
    w.editor->OnDuplicate();
    EXPECT_EQ(w.view->messages,
              Strings{"The ID or FRENCH text of K2 holds characters that these label files "
                      "cannot store.\nThe ID or FRENCH text of " +
                      std::string("K\0", 2) +
                      " holds characters that these label files cannot store."});
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\nK1=Un\nK2=Two\nK3=Trois\n");
    EXPECT_EQ(w.column(2), (Strings{"Un", "Two", "Trois", ""}));
}

TEST(Duplicate, SeveralRowsGiveWhatOneWritePerCellWould)
{
    // The same ID twice, a French text that is empty, a file lacking keys and its final
    // line end, a file without a [Label] section: the batch must match write by write.
    const std::map<std::string, std::string> set = {
        {"french.lan", "[Label]\nK1=Un\nK2=Deux\nK3=\nK4=Quatre\nK1=Encore\n"},
        {"english.lan", "[Label]\nK1=One\nK3=Three"},
        {"german.lan", "[Other]\nK1=x\n"},
        {"id.lan", "\xEF\xBB\xBF[Label]\r\n k1 =i1\r\nK4=i4\r\n"},
    };
    Workspace w;
    TempDir copy;
    for (const auto &[name, bytes] : set) {
        w.dir.write(name, bytes);
        copy.write(name, bytes);
    }
    w.start();
    FakeView &v = *w.view;
    v.select({0, 2, 3, 4});
    v.dupTarget = "All";
    v.answers = {1}; // replace the translations
    v.editorsWritten.clear();
    w.editor->OnDuplicate();
    EXPECT_TRUE(v.messages.empty());
    EXPECT_TRUE(v.editorsWritten.empty()) << "fields change only for a single row";

    const FrenchOrder order(set.at("french.lan"));
    for (const int r : {0, 2, 3, 4})
        for (int c = 2; c < w.grid().columnCount(); ++c)
            ASSERT_TRUE(ProfileFile()
                            .writeKey(copy.file(w.grid().fileName(c)), w.grid().itemText(r, 0),
                                      w.grid().itemText(r, 1), copy.path(), nullptr, &order)
                            .ok());
    // Each cell shows what its line holds now, as a fresh load would: K1's line took both of
    // its texts, "Encore" last; a key with no line of its own got a new line at its French
    // place, which moves the rows below; the [Other] section's K1 is not where the writer
    // looks.
    EXPECT_EQ(w.column(2), (Strings{"Encore", "", "Quatre", "", ""}));
    EXPECT_EQ(w.column(4), (Strings{"Encore", "", "Quatre", "", ""}));
    EXPECT_EQ(w.cells(), Session(w.dir.path()).cells());
    EXPECT_EQ(snapshot(w.dir), snapshot(copy));
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\nK1=Encore\nK3=\nK4=Quatre\n");
    EXPECT_EQ(v.selection, (std::set<int>{0, 2, 3, 4}));
}

TEST(Duplicate, AReadOnlyTargetIsReportedAndTheOthersWritten)
{
    Workspace w;
    writeSet(w.dir);
    for (const char *name : {"all.lan", "dutch.lan", "english.lan", "id.lan"})
        ::chmod(w.dir.file(name).c_str(), 0666);
    ::chmod(w.dir.file("german.lan").c_str(), 0444);
    const std::string german = w.dir.read("german.lan");
    w.start();

    const auto result = inChild(As::Unprivileged, [&] {
        w.view->select({1});
        w.view->dupTarget = "All";
        w.editor->OnDuplicate();
        Strings out{std::string(w.grid().itemText(1, 5)), w.view->text("GERMAN")};
        out.insert(out.end(), w.view->messages.begin(), w.view->messages.end());
        return out;
    });
    ASSERT_TRUE(result);
    // The table shows what the file holds.
    EXPECT_EQ(*result,
              (Strings{"Zwei", "", unableToWrite(w.dir.file("german.lan"), "Permission denied")}));
    EXPECT_EQ(w.dir.read("german.lan"), german);
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\r\nK1=One\r\nK2=Deux\r\nK3=Three\r\n");
    EXPECT_EQ(w.dir.read("id.lan"), "[Label]\nK1=i1\nK2=Deux\nK3=i3\nK4=i4\n");
}

} // namespace

TEST(Duplicate, AsksBeforeItReplacesTranslations)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Un\nB=Deux\nC=Trois\nD=Quatre\n");
    // A and C translated, B the same as French, D empty.
    w.dir.write("german.lan", "[Label]\nA=Eins\nB=Deux\nC=Drei\nD=\n");
    w.start();
    const std::string before = w.dir.read("german.lan");
    const auto ask = [&](std::set<int> rows, std::vector<int> answers) {
        w.view->questions.clear();
        w.view->answers = std::move(answers);
        return w.duplicate(std::move(rows), "GERMAN");
    };

    // Cancel writes nothing.
    EXPECT_EQ(ask({0, 1, 2, 3}, {-1}), Strings{});
    EXPECT_EQ(w.view->questions, Strings{"2 lines of GERMAN already hold a translation."});
    EXPECT_EQ(w.view->asked.back(),
              (Strings{"Fill only the empty and missing ones", "Replace them too"}));
    EXPECT_EQ(w.dir.read("german.lan"), before);

    // The default fills the others only; one step of undo takes it back.
    EXPECT_EQ(ask({0, 1, 2, 3}, {}), Strings{});
    EXPECT_EQ(w.dir.read("german.lan"), "[Label]\nA=Eins\nB=Deux\nC=Drei\nD=Quatre\n");
    w.editor->OnUndo();
    EXPECT_EQ(w.dir.read("german.lan"), before);

    // One translated line is replaced without a question, as before.
    EXPECT_EQ(ask({0, 3}, {}), Strings{});
    EXPECT_TRUE(w.view->questions.empty());
    EXPECT_EQ(w.dir.read("german.lan"), "[Label]\nA=Un\nB=Deux\nC=Drei\nD=Quatre\n");
}
