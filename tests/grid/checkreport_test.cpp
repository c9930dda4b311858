#include "checkreport.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

using verbolt::CheckOptions;
using verbolt::CheckReport;
using verbolt::CheckTotals;
using verbolt::test::TempDir;

namespace {

struct Report
{
    CheckTotals totals;
    std::string text;
};

Report check(const TempDir &dir, CheckOptions options = {})
{
    std::ostringstream out, err;
    const std::optional<CheckTotals> totals = CheckReport::run(dir.path(), options, out, err);
    EXPECT_TRUE(totals) << "the folder was listed whole";
    EXPECT_EQ(err.str(), "");
    return {totals.value_or(CheckTotals{}), out.str()};
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

TEST(CheckReport, AlignedSetSaysNothingButAnEntryOutsideLabelIsAnError)
{
    TempDir dir;
    dir.write("french.lan", french);
    // Keys match without letter case and white space around them; comments, blank lines and
    // lines without "=" are no positions.
    dir.write("english.lan", "[Label]\nopen=Open\n  Save  =Save\n; note\nnot an entry\n"
                             "\tCLOSE\t=Close\nQuit=Quit");
    dir.write("german.lan", french);
    Report r = check(dir);
    EXPECT_EQ(r.text, "");
    EXPECT_FALSE(r.totals.failed({}));

    dir.write("english.lan", "[Label]\nOPEN=Open\nSAVE=Save\n[Other]\nCLOSE=Close\nQUIT=Quit\n");
    r = check(dir);
    EXPECT_EQ(r.text, "english.lan:5: error: CLOSE: entry outside [Label]: writes never reach it "
                      "[order]\n"
                      "english.lan:6: error: QUIT: entry outside [Label]: writes never reach it "
                      "[order]\n");
    EXPECT_EQ(r.totals.errors, 2u);
}

TEST(CheckReport, EachKindOfShiftOnceWithItsLine)
{
    TempDir dir;
    dir.write("french.lan", french);
    dir.write("english.lan", "[Label]\r\nOPEN=Open\r\nclose=Close\r\nSAVE=Save\r\nQUIT=Quit\r\n");
    // A label missing in the middle shifts the rest and leaves the end short.
    dir.write("german.lan", "\xEF\xBB\xBFOPEN=\xD6\x66\x66nen\r\nCLOSE=Schlie\xDF\x65n\r\n"
                            "QUIT=Beenden\r\n");
    dir.write("Italian.lan", "[Label]\nOPEN=Apri\nSAVE=Salva\n");
    dir.write("spanish.lan", "[Label]\nOPEN=Abrir\nSAVE=Guardar\nCLOSE=Cerrar\nQUIT=Salir\n"
                             "; old\nEXTRA=Extra\nMORE=Mas\n");
    const Report r = check(dir);
    EXPECT_EQ(r.text,
              "english.lan:3: error: close: key where french.lan:4 has SAVE (2 lines out of step) "
              "[order]\n"
              "german.lan:2: error: CLOSE: key where french.lan:4 has SAVE (2 lines out of step) "
              "[order]\n"
              "german.lan:4: error: 1 label missing at the end (french.lan has 4 entries, "
              "german.lan has 3) [order]\n"
              "Italian.lan:4: error: 2 labels missing at the end (french.lan has 4 entries, "
              "Italian.lan has 2) [order]\n"
              "spanish.lan:7: error: 2 entries past the last French label [order]\n");
    EXPECT_EQ(r.totals.errors, 5u);
}

TEST(CheckReport, RepeatedIdsAndFilesThatCannotBeRead)
{
    TempDir dir;
    dir.write("French.lan", "[Label]\nA=1\nB=2\n a =3\nA=6\n");
    std::filesystem::create_directory(dir.file("german.lan"));
    EXPECT_EQ(check(dir).text,
              "german.lan: error: cannot be read [order]\n"
              "French.lan:4: error: a: ID appears again (first at line 2) [order]\n"
              "French.lan:5: error: A: ID appears again (first at line 2) [order]\n");

    TempDir none;
    none.write("english.lan", "A=1\n");
    EXPECT_EQ(check(none).text, "french.lan: error: not found [order]\n");

    // A language file that links out of the folder is not read, as the window reads none.
    TempDir in, out;
    in.write("french.lan", "[Label]\nA=1\n");
    out.write("english.lan", "[Label]\nA=one one\n");
    std::filesystem::create_symlink(out.file("english.lan"), in.file("english.lan"));
    EXPECT_EQ(check(in).text, "english.lan:1: error: 1 label missing at the end (french.lan has "
                              "1 entries, english.lan has 0) [order]\n");
}

TEST(CheckReport, TextFindingsMutingSeverityAndEscapedNames)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\nOPEN=&Ouvrir %s\nNAME=Nom :\nNUM=1 000 fichiers\n");
    dir.write("english.lan", "[Label]\nOPEN=Open %d\nNAME=Name\nNUM=1,000 files\n");
    dir.write("checks.ignore", "accelerators * OPEN\n");
    Report r = check(dir);
    EXPECT_EQ(r.text, "english.lan:2: error: OPEN: placeholder %s missing, placeholder %d not in "
                      "French [placeholders]\n"
                      "english.lan:3: warning: NAME: no ending mark where French ends with \":\" "
                      "[punctuation]\n");
    EXPECT_EQ(r.totals.muted, 1u);
    EXPECT_TRUE(r.totals.failed({}));

    CheckOptions only;
    only.checks = verbolt::checkBit(verbolt::Check::Punctuation);
    r = check(dir, only);
    EXPECT_FALSE(r.totals.failed(only)) << "a warning alone";
    only.strict = true;
    EXPECT_TRUE(r.totals.failed(only));
    only.all = true;
    only.checks = verbolt::checkBit(verbolt::Check::Accelerators);
    EXPECT_EQ(check(dir, only).text, "english.lan:2: muted: OPEN: 0 accelerators where French "
                                     "has 1 [accelerators]\n");

    EXPECT_EQ(CheckReport::escaped("a\nb\x1b"), "a\\nb\\x1b");
    // Long texts are looked at eight bytes at a time: a control byte or DEL anywhere is
    // escaped, bytes from 0x80 on are not.
    for (std::size_t at = 0; at < 20; ++at)
        for (const char c : {'\x01', '\x1f', '\x7f', '\x80', '\xff', ' '}) {
            std::string name(20, 'a');
            name[at] = c;
            const bool control = c == '\x01' || c == '\x1f' || c == '\x7f';
            const std::string hex = c == '\x01' ? "01" : c == '\x1f' ? "1f" : "7f";
            EXPECT_EQ(CheckReport::escaped(name),
                      control ? name.substr(0, at) + "\\x" + hex + name.substr(at + 1) : name)
                << at;
        }
}

// The report and the window's marks come from one engine: on a folder holding every kind of
// finding, each file and check the report names is a marked cell of that file, and back.
TEST(CheckReport, AgreesWithTheWindowsMarks)
{
    verbolt::test::Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Ouvrir %s\nB=&Fichier\nC=Ligne\\nsuite\nD=<b>Gras</b>\n"
                              "E=Nom :\nF=Page 12\nG=Voir http://x.org\nH=Un texte\nI=Vide\n"
                              "A=encore\nK=Fermer\nL=Fermer\n[Other]\nJ=ailleurs\n");
    w.dir.write("english.lan", "[Label]\nA=Open\nB=File\nC=Line next\nD=Bold\nE=Name\nF=Page\n"
                               "G=See\nH=A  text\nI=\nA=Again\nK=Close\nL=Shut\n[Other]\n"
                               "J=elsewhere\n");
    w.dir.write("german.lan", "[Label]\nB=&Datei\nA=%s \xF6"
                              "ffnen\nC=Zeile\\nweiter\nD=<b>Fett</b>\nE=Name:\nF=Seite 12\n"
                              "G=Siehe http://x.org\nH=Ein Text Text\n");
    w.start();
    w.marks().computeAll();

    std::set<std::pair<std::string, std::string>> fromMarks;
    for (int c = 2; c < w.grid().columnCount(); ++c)
        for (int r = 0; r < w.grid().rowCount(); ++r)
            for (int k = 0; k < verbolt::kCheckCount; ++k) {
                const auto check = static_cast<verbolt::Check>(k);
                if (w.marks().at(r, c) & verbolt::Mark::of(check))
                    fromMarks.emplace(w.grid().fileName(c),
                                      std::string(verbolt::TextChecks::name(check)));
            }
    std::set<std::pair<std::string, std::string>> fromReport;
    std::istringstream lines(check(w.dir).text);
    for (std::string line; std::getline(lines, line);) {
        const std::string file = line.substr(0, line.find(':'));
        const std::size_t open = line.rfind('[');
        if (file != "french.lan")
            fromReport.emplace(file, line.substr(open + 1, line.size() - open - 2));
    }
    EXPECT_EQ(fromReport, fromMarks);
    for (const char *check :
         {"order", "empty", "placeholders", "accelerators", "escapes", "markup", "punctuation",
          "spaces", "numbers", "urls", "repeated", "inconsistent"})
        EXPECT_TRUE(fromMarks.count({"english.lan", check}) +
                    fromMarks.count({"german.lan", check}))
            << check << " is in the folder";
}

// The language files are checked on several threads: the report is the one a single thread
// writes, line for line, and so are the marks' counts.
TEST(CheckReport, ThreadsWriteWhatOneThreadWrites)
{
    verbolt::test::Workspace w;
    std::string french = "[Label]\n", english = "[Label]\n", german = "[Label]\n";
    for (int i = 0; i < 15000; ++i) { // over a megabyte of findings a file
        const std::string id = "ID" + std::to_string(i);
        french += id + "=Ouvrir " + std::to_string(i) + " fichiers :\n";
        english += id + (i % 7 ? "=Open the the files" : "=Open %d files  now") + "\n";
        if (i % 50 != 3) // a line missing now and then: every later line is out of step
            german += id + "=Datei " + std::to_string(i + i % 3) + " \u00F6ffnen :\n";
    }
    w.dir.write("french.lan", french);
    w.dir.write("english.lan", english);
    w.dir.write("german.lan", german + "EXTRA=x\n");
    w.dir.write("italian.lan", english);
    CheckOptions one, three;
    one.threads = 1;
    three.threads = 3;
    const Report a = check(w.dir, one), b = check(w.dir, three);
    EXPECT_GT(a.text.size(), std::size_t{3} << 20);
    // (Compared without gtest's diff, which a few megabytes would take too long for.)
    const auto at = std::mismatch(a.text.begin(), a.text.end(), b.text.begin(), b.text.end());
    EXPECT_TRUE(at.first == a.text.end() && at.second == b.text.end())
        << "first difference at byte " << (at.first - a.text.begin());
    EXPECT_EQ(a.totals.errors, b.totals.errors);
    EXPECT_EQ(a.totals.warnings, b.totals.warnings);

    w.start();
    w.marks().computeAll(3);
    const auto counts = w.marks().counts();
    w.marks().restart();
    w.marks().computeAll();
    EXPECT_EQ(counts, w.marks().counts());
}
