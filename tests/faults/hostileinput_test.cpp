// Input no translator meant to give: binary garbage, one enormous line, a million empty
// lines, a set whose code page is not what it seems, FIFOs, devices and folders named *.lan,
// odd file names. Verbolt loads, shows and writes them without a fault, a hang or a lost byte.
#include "asuser.h"
#include "profilefile.h"
#include "seed.h"
#include "stringtableextractor.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Bytes that mean something to the readers, mixed with any byte at all.
std::string garbage(std::mt19937 &rng, std::size_t size)
{
    static const std::string kMeaningful = std::string("=\r\n[];\0\xFF \t\"", 12);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(size, '\0');
    for (char &c : out) {
        const int b = byte(rng);
        c = b < 96 ? kMeaningful[static_cast<std::size_t>(b) % kMeaningful.size()]
                   : static_cast<char>(b);
    }
    return out;
}

TEST(HostileInput, BinaryGarbageLoadsShowsAndWrites)
{
    const unsigned seed = testSeed(1);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VERBOLT_TEST_SEED sets another)");
    std::mt19937 rng(seed);
    TempDir dir;
    dir.write("french.lan", garbage(rng, 48 * 1024));
    dir.write("english.lan", garbage(rng, 48 * 1024));
    dir.write("comments.cmt", garbage(rng, 48 * 1024));
    // The script hides a string table in the garbage, its texts garbage too.
    std::string script = garbage(rng, 16 * 1024) + "\r\nSTRINGTABLE\r\nBEGIN\r\n";
    for (int i = 0; i < 50; ++i)
        script += "IDS_" + std::to_string(i) + " \"" + garbage(rng, 40) + "\"\r\n";
    dir.write("tables.rc", script + "END\r\n" + garbage(rng, 16 * 1024));

    Session s(dir.path());
    ASSERT_TRUE(s.load().loaded);
    ASSERT_GT(s.grid().rowCount(), 20);
    for (int row = 0; row < s.grid().rowCount(); ++row) {
        s.click(row);
        ASSERT_EQ(s.editor->shownLine(), row);
    }
    // The needle is three bytes of a French text, so that the searches find rows.
    int from = 0;
    while (from < s.grid().rowCount() && s.grid().itemText(from, 1).size() < 3)
        ++from;
    ASSERT_LT(from, s.grid().rowCount());
    s.view->findColumn = "FRENCH";
    s.view->find = std::string(s.grid().itemText(from, 1).substr(0, 3));
    int found = 0;
    for (int i = 0; i < 20; ++i) {
        s.editor->OnFindNext();
        found += s.view->current >= 0;
    }
    EXPECT_GT(found, 0);

    // A row whose ID and texts the files can hold takes the new text, and the reader then
    // finds it. (A field holding CR or NUL read from the file is refused before writing.)
    const auto storable = [&](int row, int column) {
        const std::string_view text = s.grid().itemText(row, column);
        return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    };
    int written = 0;
    for (int row = 0; row < s.grid().rowCount() && written < 20; ++row) {
        const std::string id(s.grid().itemText(row, 0));
        if (!storable(row, 0) || !storable(row, 1))
            continue;
        EXPECT_EQ(s.apply(row, {{"ENGLISH", "ok " + std::to_string(row)}}), Strings{});
        EXPECT_EQ(ProfileFile::readKey(dir.file("english.lan"), id), "ok " + std::to_string(row));
        ++written;
    }
    EXPECT_GT(written, 0);
    const std::string english = dir.read("english.lan");
    const Strings duplicated = s.duplicate({0, 1, 2}, "All");
    EXPECT_TRUE(!duplicated.empty() || dir.read("english.lan") != english)
        << "Duplicate neither wrote nor said why";

    const verbolt::Result r =
        StringTableExtractor::extractToFile(dir.file("tables.rc"), "french.txt");
    EXPECT_TRUE(r.ok());
    const std::string out = dir.read("french.txt");
    int lines = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r' || out[i] == '\n') {
            ASSERT_TRUE(out[i] == '\r' ? out[i + 1] == '\n' : out[i - 1] == '\r') << i;
            lines += out[i] == '\n';
        }
    }
    EXPECT_GT(lines, 1) << "no text of the string table came out";
}

TEST(HostileInput, AFiftyMegabyteLineIsKeptWhole)
{
    TempDir dir;
    std::string longText(50u << 20, 'x');
    longText[0] = 'L';
    longText.back() = 'T';
    const std::string french = "[Label]\r\nIDS_LONG=" + longText + "\r\nIDS_NEXT=Suite\r\n";
    dir.write("french.lan", french);
    dir.write("english.lan", "[Label]\r\nIDS_LONG=Long\r\nIDS_NEXT=Next\r\n");
    Session s(dir.path());

    EXPECT_EQ(s.apply(0, {{"ENGLISH", "Long !"}}), Strings{});
    EXPECT_EQ(s.view->text("FRENCH").size(), longText.size());
    EXPECT_TRUE(dir.read("french.lan") == french) << "the long line changed";
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nIDS_LONG=Long !\r\nIDS_NEXT=Next\r\n");

    s.view->editors["FRENCH"] = longText + "!";
    s.editor->OnApply();
    EXPECT_TRUE(dir.read("french.lan") ==
                "[Label]\r\nIDS_LONG=" + longText + "!\r\nIDS_NEXT=Suite\r\n");
    EXPECT_EQ(s.view->messages, Strings{});
}

TEST(HostileInput, AMillionEmptyLines)
{
    TempDir dir;
    const std::string blank(1000000 * 2, '\n');
    std::string crlf;
    for (int i = 0; i < 1000000; ++i)
        crlf += "\r\n";
    dir.write("french.lan", "[Label]\r\nA=Un\r\n" + crlf + "B=Deux\r\n");
    dir.write("english.lan", "[Label]\nA=One\n" + blank + "B=Two");
    EXPECT_EQ(LabelLoader::CountLabelLines(dir.read("french.lan")), 1000002);

    Session s(dir.path());
    EXPECT_EQ(s.grid().rowCount(), 2);
    EXPECT_EQ(s.apply(1, {{"FRENCH", "Deux !"}, {"ENGLISH", "Two !"}}), Strings{});
    EXPECT_TRUE(dir.read("french.lan") == "[Label]\r\nA=Un\r\n" + crlf + "B=Deux !\r\n");
    EXPECT_TRUE(dir.read("english.lan") == "[Label]\nA=One\n" + blank + "B=Two !");
}

TEST(HostileInput, InvalidUtf8InAUtf8SetFallsBackToWindows1252)
{
    TempDir dir;
    const std::string french = "[Label]\nA=\xC3\x89t\xC3\xA9\nB=No\xC3\xABl\n";
    dir.write("french.lan", french);
    dir.write("english.lan", "[Label]\nA=Summer\nB=Caf\xE9\n"); // one Windows-1252 byte
    Session s(dir.path());
    EXPECT_EQ(s.load().codePage, CodePage::Windows1252);

    // Shown and applied unchanged: every byte stays, the UTF-8 ones included.
    EXPECT_EQ(s.apply(0), Strings{});
    EXPECT_EQ(s.apply(1), Strings{});
    EXPECT_EQ(dir.read("french.lan"), french);
    // What is typed is stored in the run's code page, and only in the value typed.
    EXPECT_EQ(s.apply(1, {{"ENGLISH", "Caf\xC3\xA9 cr\xC3\xA8me"}}), Strings{});
    EXPECT_EQ(dir.read("english.lan"), "[Label]\nA=Summer\nB=Caf\xE9 cr\xE8me\n");
    EXPECT_EQ(dir.read("french.lan"), french);
}

TEST(HostileInput, FifosDevicesAndFoldersNamedLanNeitherHangNorBreakTheLoad)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=Un\r\n");
    dir.write("english.lan", "[Label]\r\nA=One\r\n");
    ASSERT_EQ(::mkfifo(dir.file("pipe.lan").c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo(dir.file("comments.cmt").c_str(), 0666), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("null.lan").c_str()), 0);
    if (::geteuid() == 0) { // a device node needs root; the link to /dev/null does not
        ASSERT_EQ(::mknod(dir.file("zero.lan").c_str(), S_IFCHR | 0666, ::makedev(1, 5)), 0);
    }
    ASSERT_EQ(::mkdir(dir.file("folder.lan").c_str(), 0777), 0);

    // In a child with an alarm: a load or a write that blocks fails the test, not CI.
    const auto result = inChild(As::Self, [&] {
        ::alarm(60);
        Session s(dir.path());
        Strings out = s.headers();
        out.push_back(std::to_string(s.grid().rowCount()));
        const Strings duplicated = s.duplicate({0}, "All");
        out.insert(out.end(), duplicated.begin(), duplicated.end());
        // English becomes a FIFO after the start: Apply reports it instead of waiting on it.
        ::unlink(dir.file("english.lan").c_str());
        ::mkfifo(dir.file("english.lan").c_str(), 0666);
        const Strings applied = s.apply(0, {{"ENGLISH", "One !"}});
        out.insert(out.end(), applied.begin(), applied.end());
        out.push_back("comment: " + s.view->comment); // comments.cmt is a FIFO: none
        return out;
    });
    ASSERT_TRUE(result) << "the child failed or hung";
    EXPECT_EQ(*result,
              (Strings{"ID", "FRENCH", "ENGLISH", "FOLDER", "1",
                       unableToWrite(dir.file("folder.lan"), "Is a directory"),
                       unableToWrite(dir.file("english.lan"), "Invalid argument"), "comment: "}));
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un\r\n");
}

TEST(HostileInput, FileNamesWithBlanksQuotesAndAccents)
{
    for (const bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "Windows-1252");
        TempDir dir;
        const std::string accented = utf8 ? "\xC3\xA9t\xC3\xA9" : "\xE9t\xE9";
        const std::string upper = utf8 ? "\xC3\x89T\xC3\x89" : "\xC9T\xC9";
        dir.write("french.lan", utf8 ? "[Label]\nA=Un \xC3\xA9t\xC3\xA9\n" : "[Label]\nA=Un\n");
        dir.write("my lang.lan", "[Label]\nA=1\n");
        dir.write("it's \"q\".lan", "[Label]\nA=2\n");
        dir.write(accented + ".lan", "[Label]\nA=3\n");
        Session s(dir.path());
        EXPECT_EQ(s.headers(), (Strings{"ID", "FRENCH", "IT'S \"Q\"", "MY LANG", upper}));
        const std::string french(s.grid().itemText(0, 1));

        EXPECT_EQ(s.duplicate({0}, upper), Strings{});
        EXPECT_EQ(dir.read(accented + ".lan"), "[Label]\nA=" + french + "\n");
        EXPECT_EQ(dir.read("my lang.lan"), "[Label]\nA=1\n");
        EXPECT_EQ(s.duplicate({0}, "All"), Strings{});
        EXPECT_EQ(dir.read("my lang.lan"), "[Label]\nA=" + french + "\n");
        EXPECT_EQ(dir.read("it's \"q\".lan"), "[Label]\nA=" + french + "\n");
        EXPECT_EQ(entriesOf(dir.path()),
                  (Strings{"french.lan", "it's \"q\".lan", "my lang.lan", accented + ".lan"}));
    }
}

} // namespace
