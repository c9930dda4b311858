#include "workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Every call the load makes on the loading window, in order, but the repaint pumps.
class RecordingProgress : public LoadProgress
{
public:
    Strings events;
    Strings statuses;
    int pumps = 0;

    void SetProgressRange(int lower, int upper) override
    {
        events.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetProgressPos(int position) override
    {
        events.push_back("pos " + std::to_string(position));
    }
    void SetStatusText(const std::string &text) override
    {
        events.push_back(text);
        statuses.push_back(text);
    }
    void PumpOneMessage() override { ++pumps; }
};

TEST(StartupLoad, ColumnsAndDropDownsFollowTheSortedListing)
{
    Workspace w;
    w.dir.write("French.LAN", "[Label]\r\nA=Un\r\nB=Deux\r\nC=Trois\r\n");
    // Case twins: only the first in sorted order ("English" < "english") is read.
    w.dir.write("English.lan", "[Label]\nA=One\n");
    w.dir.write("english.lan", "[Label]\nA=Other\nB=Other\nC=Other\n");
    w.dir.write("Dutch.lan", "[Label]\nA=Een\nB=Twee\nC=Drie\n");
    w.dir.write("a.b.lan", "[Label]\nA=ab\n");
    w.dir.write(".lan", "[Label]\nA=nameless\n");
    w.dir.write("all.lan", "[Label]\nA=all\n");
    w.dir.write("id.lan", "[Label]\nA=x1\nB=x2\n");
    w.dir.write("upper.LAN", "[Label]\nA=up\n");
    w.dir.write("notes.txt", "[Label]\nA=no\n");
    ASSERT_EQ(::mkdir(w.dir.file("x.lan").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("nowhere.lan", w.dir.file("dangling.lan").c_str()), 0);
    // Opening a FIFO for reading would block the load forever.
    ASSERT_EQ(::mkfifo(w.dir.file("fifo.lan").c_str(), 0644), 0);
    w.start();

    ASSERT_TRUE(w.load().loaded);
    EXPECT_EQ(w.load().codePage, CodePage::Windows1252) << "an all-ASCII set";
    EXPECT_EQ(w.headers(), (Strings{"ID", "FRENCH", "", "A.B", "ALL", "DANGLING", "DUTCH",
                                    "ENGLISH", "ID", "UPPER", "X"}));
    EXPECT_EQ(w.load().findColumns, (Strings{"", "A.B", "ALL", "DANGLING", "DUTCH", "ENGLISH",
                                             "FRENCH", "ID", "UPPER", "X"}));
    EXPECT_EQ(w.load().dupTargets, (Strings{"", "", "A.B", "ALL", "DANGLING", "DUTCH", "ENGLISH",
                                            "ID", "UPPER", "X", "All"}));

    // Each column remembers the entry it was read from, so writes reach that same file.
    EXPECT_EQ(w.grid().fileName(1), "French.LAN");
    EXPECT_EQ(w.grid().fileName(7), "English.lan");
    EXPECT_EQ(w.grid().fileName(2), ".lan");
    EXPECT_EQ(w.grid().fileName(5), "dangling.lan");
    EXPECT_EQ(w.grid().fileName(9), "upper.LAN");

    EXPECT_EQ(w.column(0), (Strings{"A", "B", "C"}));
    EXPECT_EQ(w.column(1), (Strings{"Un", "Deux", "Trois"}));
    EXPECT_EQ(w.column(2), (Strings{"nameless", "", ""}));
    EXPECT_EQ(w.column(5), (Strings{"", "", ""})) << "dangling link: empty column";
    EXPECT_EQ(w.column(6), (Strings{"Een", "Twee", "Drie"}));
    EXPECT_EQ(w.column(7), (Strings{"One", "", ""})) << "the twin english.lan was read";
    EXPECT_EQ(w.column(8), (Strings{"x1", "x2", ""}));
    EXPECT_EQ(w.column(10), (Strings{"", "", ""})) << "directory: empty column";
}

TEST(StartupLoad, WithoutAReadableFrenchFileNothingLoads)
{
    for (const bool asDirectory : {false, true}) {
        Workspace w;
        w.dir.write("english.lan", "[Label]\nA=One\n");
        if (asDirectory) {
            ASSERT_EQ(::mkdir(w.dir.file("french.lan").c_str(), 0755), 0);
        }
        w.start();
        EXPECT_FALSE(w.load().loaded);
        EXPECT_EQ(w.grid().columnCount(), 0);
        EXPECT_EQ(w.grid().rowCount(), 0);
        EXPECT_TRUE(w.load().dupTargets.empty()) << "not even the empty entry or All";
        EXPECT_TRUE(w.load().findColumns.empty());
    }
}

TEST(StartupLoad, LinksOutOfTheFolderAreNotReadAndOddEncodingsAreReadOnly)
{
    Workspace w;
    TempDir outside;
    outside.write("secret.lan", "[Label]\nA=secret\n");
    w.dir.write("french.lan", "[Label]\nA=un\n");
    ASSERT_EQ(::symlink(outside.file("secret.lan").c_str(), w.dir.file("english.lan").c_str()), 0);
    ASSERT_EQ(::symlink("/proc/self/environ", w.dir.file("german.lan").c_str()), 0);
    w.dir.write("italian.lan", std::string("\xFF\xFE[\0L\0]\0", 8));
    w.dir.write("spanish.lan", "[Label]\rA=uno\r");
    w.start();
    ASSERT_TRUE(w.load().loaded);
    EXPECT_EQ(w.column(2), (Strings{""}));
    EXPECT_EQ(w.column(3), (Strings{""}));
    Strings unread, readOnly;
    for (const ColumnNote &n : w.load().unread)
        unread.push_back(n.fileName);
    for (const ColumnNote &n : w.load().readOnly)
        readOnly.push_back(n.fileName + ": " + n.why);
    EXPECT_EQ(unread, (Strings{"english.lan", "german.lan"}));
    EXPECT_EQ(readOnly, (Strings{"italian.lan: its text is UTF-16",
                                 "spanish.lan: its text is lines ending in CR alone"}));
}

TEST(StartupLoad, MoreLabelsThanTheTableHoldsAreRefusedWhole)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=1\nB=2\n\n\nC=3\n");
    for (const std::size_t limit : {std::size_t(3), std::size_t(2)}) {
        LabelGrid grid;
        SilentProgress progress;
        LabelLoader loader(grid, progress);
        loader.setRowLimit(limit);
        const LoadResult load = loader.LoadAllLabels(w.dir.path());
        EXPECT_EQ(load.loaded, limit == 3);
        EXPECT_EQ(load.rows.failure(),
                  limit == 3 ? Result::Failure::None : Result::Failure::TooLarge);
        EXPECT_EQ(grid.rowCount(), limit == 3 ? 3 : 0);
    }
}

TEST(StartupLoad, LanguagesArePlacedByPositionAndProgressFollows)
{
    Workspace w;
    // Four counted lines (a blank one among them) but three entries.
    w.dir.write("french.lan", "[Label]\r\nA=1\r\n\r\n; note\r\nB=2\r\nC=3\r\n");
    w.dir.write("english.lan", "[Label]\nA=one\nB=two\n");
    // Another order and more lines: by position, extras dropped.
    w.dir.write("german.lan", "[Label]\nC=drei\nA=eins\nB=zwei\nD=vier\nE=fuenf\n");
    w.dir.write("italian.lan", "; nothing but a comment\n");
    RecordingProgress progress;
    LabelGrid grid;
    LabelLoader loader(grid, progress);
    const LoadResult load = loader.LoadAllLabels(w.dir.path());

    EXPECT_EQ(columnOf(grid, 0), (Strings{"A", "B", "C"}));
    EXPECT_EQ(columnOf(grid, 2), (Strings{"one", "two", ""}));
    EXPECT_EQ(columnOf(grid, 3), (Strings{"drei", "eins", "zwei"}));
    EXPECT_EQ(columnOf(grid, 4), (Strings{"", "", ""}));
    EXPECT_EQ(progress.events,
              (Strings{"range 0 4", "Load FRENCH labels...", "pos 0", "pos 1", "pos 2", "pos 3",
                       "Load ENGLISH labels...", "pos 0", "pos 1", "pos 2", "Load GERMAN labels...",
                       "pos 0", "pos 1", "pos 2", "pos 3", "pos 4", "pos 5",
                       "Load ITALIAN labels...", "pos 0"}));
    EXPECT_GE(progress.pumps, 3 + 2 + 5) << "the window repaints while entry lines are read";
}

TEST(StartupLoad, TheCodePageUpperCasesHeaders)
{
    {
        Workspace w;
        w.dir.write("french.lan", "[Label]\nA=\xC3\xA9t\xC3\xA9\n"); // UTF-8 été
        w.dir.write("\xC3\xB1"
                    "and\xC3\xBA.lan",
                    "[Label]\nA=x\n"); // ñandú.lan
        RecordingProgress progress;
        LabelGrid grid;
        LabelLoader loader(grid, progress);
        const LoadResult load = loader.LoadAllLabels(w.dir.path());
        EXPECT_EQ(load.codePage, CodePage::Utf8);
        EXPECT_EQ(headersOf(grid), (Strings{"ID", "FRENCH",
                                            "\xC3\x91"
                                            "AND\xC3\x9A"})); // ÑANDÚ
        EXPECT_EQ(progress.statuses.back(), "Load \xC3\x91"
                                            "AND\xC3\x9A labels...");
    }
    {
        // One byte that is not UTF-8 makes the run Windows-1252: the same name's bytes are
        // then capitals and punctuation of that code page and stay, while é (0xE9) rises.
        Workspace w;
        w.dir.write("french.lan", "[Label]\nA=\xE9t\xE9\n");
        w.dir.write("\xC3\xB1"
                    "and\xC3\xBA.lan",
                    "[Label]\nA=x\n");
        w.dir.write("\xE9t\xE9.lan", "[Label]\nA=y\n");
        RecordingProgress progress;
        LabelGrid grid;
        LabelLoader loader(grid, progress);
        const LoadResult load = loader.LoadAllLabels(w.dir.path());
        EXPECT_EQ(load.codePage, CodePage::Windows1252);
        EXPECT_EQ(headersOf(grid), (Strings{"ID", "FRENCH",
                                            "\xC3\xB1"
                                            "AND\xC3\xBA",
                                            "\xC9T\xC9"}));
        // The loading window shows UTF-8: the header's bytes are converted for it.
        EXPECT_EQ(progress.statuses.back(), "Load \xC3\x89T\xC3\x89 labels...");
    }
}

} // namespace

// A command's load reads and parses the files on several threads: the grid and the notes are
// the single thread's, a link out of the folder still unread, extra lines still cut.
TEST(StartupLoad, ThreadsLoadWhatOneThreadLoads)
{
    TempDir dir, outside;
    outside.write("secret.lan", "[Label]\nA=secret\n");
    dir.write("french.lan", "[Label]\nA=un\n; note\nB=deux\nC=trois\n");
    dir.write("english.lan", "[Label]\nA=one\nB=two\nC=three\nD=four\nE=five\n");
    dir.write("italian.lan", "[Label]\nB=due\n");
    dir.write("spanish.lan", "[Label]\rA=uno\r");
    ASSERT_EQ(::symlink(outside.file("secret.lan").c_str(), dir.file("german.lan").c_str()), 0);
    const auto load = [&](int threads) {
        LabelGrid grid;
        SilentProgress quiet;
        LabelLoader loader(grid, quiet);
        loader.setThreads(threads);
        const LoadResult result = loader.LoadAllLabels(dir.path());
        Strings seen = headersOf(grid);
        for (int c = 0; c < grid.columnCount(); ++c)
            for (const std::string &text : columnOf(grid, c))
                seen.push_back(text);
        for (const ColumnNote &n : result.unread)
            seen.push_back("unread " + n.fileName);
        for (const ColumnNote &n : result.readOnly)
            seen.push_back("read-only " + n.fileName);
        return seen;
    };
    const Strings one = load(1);
    EXPECT_EQ(load(3), one);
    EXPECT_EQ(load(2), one);
    EXPECT_NE(std::find(one.begin(), one.end(), "unread german.lan"), one.end());
}
