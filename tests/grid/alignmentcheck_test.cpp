#include "alignmentcheck.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using verbolt::AlignmentCheck;
using verbolt::test::TempDir;

namespace {

struct Report
{
    std::size_t lines;
    std::string text;
};

Report check(const TempDir &dir)
{
    std::ostringstream out;
    const std::optional<std::size_t> lines = AlignmentCheck::checkDirectory(dir.path(), out);
    EXPECT_TRUE(lines) << "the folder was listed whole";
    return {lines.value_or(0), out.str()};
}

// Four labels, with the line numbers of their entries: 3, 4, 6, 7.
const char *const french = "\xEF\xBB\xBF; master\r\n"
                           "[Label]\r\n"
                           "OPEN=Ouvrir\r\n"
                           "SAVE=Enregistrer\r\n"
                           "\r\n"
                           "CLOSE=Fermer\r\n"
                           "QUIT=Quitter\r\n";

} // namespace

TEST(AlignmentCheck, AlignedSetSaysNothing)
{
    TempDir dir;
    dir.write("french.lan", french);
    // Keys match without letter case and white space around them; comments, sections,
    // blank lines and lines without "=" are no positions.
    dir.write("english.lan", "[Label]\nopen=Open\n  Save  =Save\n; note\nnot an entry\n"
                             "[Other]\n\tCLOSE\t=Close\nQuit=Quit");
    dir.write("german.lan", french);
    const Report r = check(dir);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.lines, 0u);
}

TEST(AlignmentCheck, ReportsEachKindOfShiftWithItsLine)
{
    TempDir dir;
    dir.write("french.lan", french);
    // Swapped pair: only the first position out of place is reported.
    dir.write("english.lan", "[Label]\r\nOPEN=Open\r\nclose=Close\r\nSAVE=Save\r\nQUIT=Quit\r\n");
    // A label missing in the middle shifts the rest and leaves the end short.
    dir.write("german.lan", "\xEF\xBB\xBFOPEN=\xD6\x66\x66nen\r\nCLOSE=Schlie\xDF\x65n\r\n"
                            "QUIT=Beenden\r\n");
    // Labels missing at the end only.
    dir.write("Italian.lan", "[Label]\nOPEN=Apri\nSAVE=Salva\n");
    // Entries past the last French label, counted from the first of them.
    dir.write("spanish.lan", "[Label]\nOPEN=Abrir\nSAVE=Guardar\nCLOSE=Cerrar\nQUIT=Salir\n"
                             "; old\nEXTRA=Extra\nMORE=Mas\n");
    const Report r = check(dir);
    EXPECT_EQ(r.text, "english.lan:3: key close where french.lan:4 has SAVE\n"
                      "german.lan:2: key CLOSE where french.lan:4 has SAVE\n"
                      "german.lan: 1 labels missing at the end (french.lan has 4 entries, "
                      "german.lan has 3)\n"
                      "Italian.lan: 2 labels missing at the end (french.lan has 4 entries, "
                      "Italian.lan has 2)\n"
                      "spanish.lan:7: 2 entries past the last French label\n");
    EXPECT_EQ(r.lines, 5u);
}

TEST(AlignmentCheck, DuplicateFrenchIdsComeFirst)
{
    TempDir dir;
    dir.write("French.lan", "[Label]\nA=1\nB=2\n a =3\nC=4\nb=5\nA=6\n");
    dir.write("english.lan", "[Label]\nA=1\nB=2\nA=3\nC=4\nB=5\nA=6\n");
    // Every repeat names the first line of its ID; the French file is named as on disk.
    const Report r = check(dir);
    EXPECT_EQ(r.text, "French.lan:4: ID a appears again (first at line 2)\n"
                      "French.lan:6: ID b appears again (first at line 3)\n"
                      "French.lan:7: ID A appears again (first at line 2)\n");
    EXPECT_EQ(r.lines, 3u);

    // In a large file each repeat still names the first line, not another repeat.
    std::string many;
    std::string expected;
    for (int i = 1; i <= 60; ++i) {
        many += i % 3 == 0 ? "Dup=x\n" : "K" + std::to_string(i) + "=x\n";
        if (i % 3 == 0 && i > 3)
            expected +=
                "big.lan:" + std::to_string(i) + ": ID Dup appears again (first at line 3)\n";
    }
    std::ostringstream big;
    EXPECT_EQ(AlignmentCheck("big.lan", many).checkFrench(big), 19u);
    EXPECT_EQ(big.str(), expected);

    // Same letters in other bytes than A-Z are not the same key.
    AlignmentCheck accents("french.lan", "\xC9T\xC9=1\n\xE9T\xE9=2\n");
    std::ostringstream out;
    EXPECT_EQ(accents.checkFrench(out), 0u);
    EXPECT_EQ(out.str(), "");
}

TEST(AlignmentCheck, MissingOrUnreadableFiles)
{
    TempDir none;
    none.write("english.lan", "A=1\n");
    Report r = check(none);
    EXPECT_EQ(r.text, "french.lan: not found\n");
    EXPECT_EQ(r.lines, 1u);

    TempDir dir;
    dir.write("french.lan", "A=1\n");
    dir.write("english.lan", "A=1\n");
    std::filesystem::create_directory(dir.file("german.lan"));
    std::filesystem::create_symlink("nowhere.lan", dir.file("italian.lan"));
    r = check(dir);
    EXPECT_EQ(r.text, "german.lan: cannot be read\nitalian.lan: cannot be read\n");
    EXPECT_EQ(r.lines, 2u);

    TempDir noFrench;
    std::filesystem::create_directory(noFrench.file("french.lan"));
    noFrench.write("english.lan", "A=1\n");
    r = check(noFrench);
    EXPECT_EQ(r.text, "french.lan: cannot be read\n");
    EXPECT_EQ(r.lines, 1u);
}

TEST(AlignmentCheck, EmptyLanguageFileLacksEveryLabel)
{
    TempDir dir;
    dir.write("french.lan", french);
    dir.write("english.lan", "");
    EXPECT_EQ(check(dir).text, "english.lan: 4 labels missing at the end (french.lan has 4 "
                               "entries, english.lan has 0)\n");
}

TEST(AlignmentCheck, PlaceholdersAndAcceleratorsAfterTheAlignmentLines)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\nOPEN=&Ouvrir %s\nCOUNT=%d fichiers sur %d\n"
                            "SALE=50 % de remise\nNEW={0} nouveaux\nPOS=%1$s de %2$d\n");
    // In French order but for the last two lines; each text found by key all the same.
    dir.write("english.lan", "[Label]\nOPEN=Open %d\nCOUNT=%d of %d files\nSALE=50 % off\n"
                             "POS=%2$d of %1$s\nNEW={1} new\nEXTRA=%s\n");
    dir.write("german.lan", "[Label]\nOPEN=\xD6&ffnen %s\nCOUNT=\nSALE=Rabatt\nNEW={0} neu\n"
                            "POS=%1$s von %2$d\n");
    dir.write("italian.lan", "[Label]\nOPEN=&Apri\nCOUNT=%d di %d file\nSALE=%d%% di sconto\n");
    const Report r = check(dir);
    EXPECT_EQ(r.text, "english.lan:5: key POS where french.lan:5 has NEW\n"
                      "english.lan:7: 1 entries past the last French label\n"
                      "italian.lan: 2 labels missing at the end (french.lan has 5 entries, "
                      "italian.lan has 3)\n"
                      "english.lan:2: OPEN: placeholders %d where french.lan has %s\n"
                      "english.lan:2: OPEN: 0 accelerators where french.lan has 1\n"
                      "english.lan:6: NEW: placeholders {1} where french.lan has {0}\n"
                      "italian.lan:2: OPEN: no placeholders where french.lan has %s\n"
                      "italian.lan:4: SALE: placeholders %d where french.lan has none\n");
    EXPECT_EQ(r.lines, 8u);
}
