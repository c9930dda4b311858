#include "workspace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

const std::string kFrench = "[Label]\r\nA=Un\r\nB=Deux\r\n; a note\r\nC=Trois\r\n";
const std::string kEnglish = "[Label]\r\nA=One\r\nB=Two\r\nC=Three\r\n";
const std::string kDutch = "[Label]\nA=Een\nB=Twee\nC=Drie\n";

// Columns ID, FRENCH, DUTCH, ENGLISH. The file names are not upper case: a write must
// reach the files read, not create FRENCH.lan beside them.
void writeSet(const TempDir &dir)
{
    dir.write("French.LAN", kFrench);
    dir.write("English.lan", kEnglish);
    dir.write("dutch.lan", kDutch);
}

TEST(Apply, WritesEachEditedLanguageToItsCellAndFile)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    const auto files = snapshot(w.dir);
    const auto cells = w.cells();

    // No current line yet: whatever the fields show, nothing changes.
    v.type("FRENCH", "typed");
    w.editor->OnApply();
    EXPECT_EQ(snapshot(w.dir), files);
    EXPECT_EQ(w.cells(), cells);

    w.click(1);
    v.type("FRENCH", "Deux !");
    v.type("ENGLISH", "");    // emptied: the key stays as B=
    v.type("ITALIAN", "Due"); // no italian.lan: neither read nor created
    w.editor->OnApply();

    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(w.dir.read("French.LAN"), "[Label]\r\nA=Un\r\nB=Deux !\r\n; a note\r\nC=Trois\r\n");
    EXPECT_EQ(w.dir.read("English.lan"), "[Label]\r\nA=One\r\nB=\r\nC=Three\r\n");
    EXPECT_EQ(w.dir.read("dutch.lan"), kDutch) << "DUTCH has no field: its file stays";
    EXPECT_EQ(w.dir.listing(), "English.lan\nFrench.LAN\ndutch.lan\n");
    EXPECT_EQ(w.column(0), (Strings{"A", "B", "C"}));
    EXPECT_EQ(w.column(1), (Strings{"Un", "Deux !", "Trois"}));
    EXPECT_EQ(w.column(2), (Strings{"Een", "Twee", "Drie"}));
    EXPECT_EQ(w.column(3), (Strings{"One", "", "Three"}));
    EXPECT_FALSE(v.editorsRead.contains("ITALIAN"));
    EXPECT_EQ(w.editor->currentLine(), 1);
    EXPECT_EQ(w.editor->currentId(), "B");

    // Applying the same texts again is a write that changes nothing.
    w.editor->OnApply();
    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(w.dir.read("English.lan"), "[Label]\r\nA=One\r\nB=\r\nC=Three\r\n");
}

TEST(Apply, RefusesATextTheFilesCannotHoldAndWritesNothing)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    w.click(0);
    const auto files = snapshot(w.dir);
    const auto cells = w.cells();

    struct Case
    {
        std::string field;
        std::optional<std::string> text;
        const char *header;
    };
    const Case cases[] = {
        {"ENGLISH", std::nullopt, "ENGLISH"}, // set below: Ω has no Windows-1252 byte
        {"FRENCH", "two\nlines", "FRENCH"},
        {"ENGLISH", "cr\r", "ENGLISH"},
        {"FRENCH", std::string("nul\0byte", 8), "FRENCH"},
    };
    for (const Case &c : cases) {
        v.messages.clear();
        v.type("FRENCH", "Un changed"); // checked before anything is written
        v.type("ENGLISH", "One");
        if (c.text)
            v.editors[c.field] = c.text;
        else
            v.type(c.field, "\xCE\xA9");
        w.editor->OnApply();
        EXPECT_EQ(v.messages, Strings{std::string("The ") + c.header +
                                      " text holds characters that these label files "
                                      "cannot store."});
        EXPECT_EQ(snapshot(w.dir), files);
        EXPECT_EQ(w.cells(), cells);
    }
}

TEST(Apply, UntouchedFieldsWriteNothing)
{
    // german.lan is out of French order: row A shows B's line, while the German field edits
    // A's own text. english.lan changes on disk after the load. Correcting the French text
    // alone must leave both as they are.
    Workspace w;
    w.dir.write("french.lan", kFrench);
    w.dir.write("english.lan", kEnglish);
    const std::string german = "[Label]\nB=Zwei\nA=Eins\nC=Drei\n";
    w.dir.write("german.lan", german);
    w.start();
    const std::string english = "[Label]\r\nA=One (new)\r\nB=Two\r\nC=Three\r\n";
    w.dir.write("english.lan", english);

    w.click(0);
    EXPECT_EQ(w.grid().itemText(0, 3), "Zwei");
    EXPECT_EQ(w.view->text("GERMAN"), "Eins");
    w.view->type("FRENCH", "Un !");
    w.editor->OnApply();
    EXPECT_TRUE(w.view->messages.empty());
    EXPECT_EQ(w.dir.read("french.lan"), "[Label]\r\nA=Un !\r\nB=Deux\r\n; a note\r\nC=Trois\r\n");
    EXPECT_EQ(w.dir.read("german.lan"), german);
    EXPECT_EQ(w.dir.read("english.lan"), english);
}

TEST(Apply, AFailedWriteShowsTheFilesTextAndKeepsWhatWasTyped)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    FakeView &v = *w.view;
    w.click(0);
    v.type("FRENCH", "Un !");
    v.type("ENGLISH", "One !");
    // The first write fails (French), the second goes through.
    w.fs.failWhen([](FaultyFileSystem::Call c, int n) {
        return c == FaultyFileSystem::Call::Rename && n == 0 ? EIO : 0;
    });
    w.editor->OnApply();
    w.fs.heal();
    EXPECT_EQ(v.messages, Strings{unableToWrite(w.dir.file("French.LAN"), "Input/output error")});
    EXPECT_EQ(w.dir.read("French.LAN"), kFrench);
    EXPECT_EQ(w.grid().itemText(0, 1), "Un") << "the table shows what is on disk";
    EXPECT_EQ(w.grid().itemText(0, 3), "One !");
    EXPECT_EQ(v.text("FRENCH"), "Un !");
    EXPECT_EQ(v.applyEnabled, true);

    // Apply again retries what failed; English, now written, is not written again.
    const std::string english = "[Label]\r\nA=One (changed elsewhere)\r\nB=Two\r\nC=Three\r\n";
    w.dir.write("English.lan", english);
    v.messages.clear();
    w.editor->OnApply();
    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(w.grid().itemText(0, 1), "Un !");
    EXPECT_EQ(w.dir.read("French.LAN"), "[Label]\r\nA=Un !\r\nB=Deux\r\n; a note\r\nC=Trois\r\n");
    EXPECT_EQ(w.dir.read("English.lan"), english);
}

TEST(Apply, AReadOnlyFileFailsOnlyWhenItsTextChanged)
{
    Workspace w;
    w.dir.write("french.lan", kFrench);
    w.dir.write("english.lan", kEnglish);
    w.dir.write("german.lan", "[Label]\nA=Eins\nB=Zwei\nC=Drei\n");
    ::chmod(w.dir.file("french.lan").c_str(), 0666);
    ::chmod(w.dir.file("german.lan").c_str(), 0666);
    ::chmod(w.dir.file("english.lan").c_str(), 0444);
    w.start();

    const auto result = inChild(As::Unprivileged, [&] {
        FakeView &v = *w.view;
        w.click(0);
        v.type("FRENCH", "Un !"); // English unchanged: not written
        w.editor->OnApply();
        const std::string first = std::to_string(v.messages.size());
        v.type("ENGLISH", "One !");
        v.type("GERMAN", "Eins !");
        w.editor->OnApply();
        Strings out{first, std::string(w.grid().itemText(0, 2)), v.text("ENGLISH")};
        out.insert(out.end(), v.messages.begin(), v.messages.end());
        return out;
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Strings{"0", "One", "One !",
                                unableToWrite(w.dir.file("english.lan"), "Permission denied")}));
    EXPECT_EQ(w.dir.read("english.lan"), kEnglish);
    EXPECT_EQ(w.dir.read("french.lan"), "[Label]\r\nA=Un !\r\nB=Deux\r\n; a note\r\nC=Trois\r\n");
    EXPECT_EQ(w.dir.read("german.lan"), "[Label]\nA=Eins !\nB=Zwei\nC=Drei\n");
}

} // namespace

// The window reads a changed language file on another thread. An Apply that lands before
// the read is in must not be undone by it; a read that outlives its session harms nothing.
TEST(Apply, AColumnReadBegunBeforeAnApplyIsNotPutInPlace)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Un\nB=Deux\n");
    w.dir.write("english.lan", "[Label]\nA=One\nB=Two\n");
    w.start();
    w.dir.write("english.lan", "[Label]\nA=Theirs\nB=Two\n"); // another program
    const auto reader = w.session->columnReader(2);
    LabelSession::ColumnRead early = reader();
    EXPECT_EQ(w.apply(1, {{"ENGLISH", "Mine"}}), Strings{});
    CommandOutcome outcome;
    EXPECT_FALSE(w.session->adoptColumn(std::move(early), outcome));
    EXPECT_EQ(w.column(2), (Strings{"Theirs", "Mine"})) << "the Apply read the column whole";

    w.dir.write("english.lan", "[Label]\nA=Later\nB=Mine\n");
    EXPECT_TRUE(w.session->adoptColumn(w.session->columnReader(2)(), outcome));
    EXPECT_EQ(w.column(2), (Strings{"Later", "Mine"}));
    EXPECT_EQ(outcome.reloadedColumns, std::vector<int>{2});
    EXPECT_FALSE(w.session->diskChanges().any());

    const auto orphan = w.session->columnReader(2);
    w.editor.reset();
    w.session.reset();
    EXPECT_EQ(orphan().loaded.cells.size(), 2u);
}

// A key the file lacks lands at its French place, from Apply, Duplicate and redo alike, so
// the rows below it keep their texts.
TEST(Apply, AMissingKeyLandsAtItsFrenchPlace)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\r\nA=Un\r\nB=Deux\r\nC=Trois\r\nD=Quatre\r\n");
    w.dir.write("english.lan", "[Label]\r\nA=One\r\nD=Four\r\n");
    w.start();
    EXPECT_EQ(w.apply(1, {{"ENGLISH", "Two"}}), Strings{});
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\r\nA=One\r\nB=Two\r\nD=Four\r\n");
    EXPECT_EQ(w.duplicate({2}, "ENGLISH"), Strings{});
    const std::string inStep = "[Label]\r\nA=One\r\nB=Two\r\nC=Trois\r\nD=Four\r\n";
    EXPECT_EQ(w.dir.read("english.lan"), inStep);
    EXPECT_EQ(w.column(2), (Strings{"One", "Two", "Trois", "Four"}));
    w.session->undo();
    w.session->undo();
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\r\nA=One\r\nD=Four\r\n");
    w.session->redo();
    w.session->redo();
    EXPECT_EQ(w.dir.read("english.lan"), inStep);
}
