#include "commandline.h"
#include "importreader.h"
#include "tempdir.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>
#include <xlsxwriter.h>

using verbolt::CommandLine;
using verbolt::ImportReader;
using verbolt::test::TempDir;

namespace {

struct Outcome
{
    int status;
    std::string out;
    std::string err;
};

Outcome runVerbolt(std::vector<std::string> args)
{
    args.insert(args.begin(), "verbolt");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    std::ostringstream out, err;
    const auto status = CommandLine::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status.value_or(-1), out.str(), err.str()};
}

void replaceOnce(std::string &s, const std::string &from, const std::string &to)
{
    const std::size_t at = s.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    s.replace(at, from.size(), to);
}

// A Windows-1252 folder: a doubled ID, a formula- and a number-looking text, a comment.
struct Folder : TempDir
{
    Folder()
    {
        write("french.lan", "[Label]\nIDS_A=Ouvrir &fichier\nIDS_B=%d \xE9l\xE9ments\n"
                            "IDS_C==SUM(A1)\nIDS_D=0012\nIDS_A=encore\nIDS_E=Fermer\n");
        write("german.lan", "[Label]\nIDS_B=%s Elemente\nIDS_A=&Datei \xF6"
                            "ffnen\n"
                            "IDS_C==SUM(A1)\nIDS_D=0012\n");
        write("comments.cmt", "[Label]\nIDS_A=Menu <File> & more\n");
    }
};

} // namespace

TEST(Exchange, XliffGoesOutByIdAndComesBack)
{
    Folder dir;
    const std::string xlf = dir.file("out.xlf");
    Outcome r = runVerbolt({"--export", xlf, "--language", "german", dir.path()});
    EXPECT_EQ(r.status, 1); // the doubled ID is named
    EXPECT_NE(r.err.find("IDS_A (line 6)"), std::string::npos) << r.err;
    std::string x = dir.read("out.xlf");
    EXPECT_NE(x.find("original=\"german.lan\" source-language=\"fr\" target-language=\"de\""),
              std::string::npos);
    EXPECT_NE(x.find("<source>Ouvrir &amp;fichier</source>\n        <target state=\"translated\">"
                     "&amp;Datei \xC3\xB6"
                     "ffnen</target>\n        <note>Menu &lt;File&gt; "
                     "&amp; more</note>"),
              std::string::npos)
        << x;
    EXPECT_NE(x.find("<target state=\"needs-review-translation\">%s Elemente"), std::string::npos);
    EXPECT_NE(x.find("<target state=\"needs-translation\"></target>"), std::string::npos);
    EXPECT_EQ(x.find("encore"), std::string::npos);

    // Unchanged, it writes nothing.
    r = runVerbolt({"--import", xlf, dir.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "german.lan: 0 written, 5 unchanged, 0 stale, 0 unknown\n");

    // A translation, a stale French, an unknown ID and a region code.
    replaceOnce(x, "target-language=\"de\"", "target-language=\"DE-at\"");
    replaceOnce(x, "%s Elemente", "%d Elemente");
    replaceOnce(x, "<target state=\"needs-translation\"></target>",
                "<target><mrk mtype=\"seg\">Schlie</mrk><mrk mtype=\"seg\">\xC3\x9F"
                "en</mrk></target>");
    replaceOnce(x, "<source>0012</source>", "<source>0013</source>");
    replaceOnce(x, "resname=\"IDS_C\"", "resname=\"IDS_Z\"");
    dir.write("out.xlf", x);
    r = runVerbolt({"--import", xlf, "--dry-run", dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("german.lan: 2 written, 1 unchanged, 1 stale, 1 unknown\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("stale (the French changed since the export): IDS_D"), std::string::npos);
    EXPECT_NE(r.out.find("unknown (not in french.lan): IDS_Z"), std::string::npos);
    const std::string before = dir.read("german.lan");
    r = runVerbolt({"--import", xlf, dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(before, dir.read("german.lan"));
    EXPECT_EQ(dir.read("german.lan"), "[Label]\nIDS_B=%d Elemente\nIDS_A=&Datei \xF6"
                                      "ffnen\n"
                                      "IDS_C==SUM(A1)\nIDS_D=0012\nIDS_E=Schlie\xDF"
                                      "en\n");
}

TEST(Exchange, WorkbookCellsAreTextAndComeBackUnchanged)
{
    Folder dir;
    const std::string xlsx = dir.file("out.xlsx");
    EXPECT_EQ(runVerbolt({"--export", xlsx, dir.path()}).status, 1);
    const verbolt::ImportedFile book = ImportReader::readWorkbook(xlsx);
    ASSERT_TRUE(book.ok()) << book.error;
    ASSERT_EQ(book.languages.size(), 1u);
    EXPECT_EQ(book.languages[0].language, "GERMAN");
    const auto &units = book.languages[0].units;
    ASSERT_EQ(units.size(), 5u);
    EXPECT_EQ(units[2].french, "=SUM(A1)");
    EXPECT_EQ(units[3].text, "0012");
    EXPECT_EQ(units[1].french, "%d \xC3\xA9l\xC3\xA9ments");
    Outcome r = runVerbolt({"--import", xlsx, dir.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "german.lan: 0 written, 5 unchanged, 0 stale, 0 unknown\n");

    // Changed and saved back as a spreadsheet saves it: shared strings, the sheet's own order.
    lxw_workbook *saved = workbook_new(dir.file("back.xlsx").c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(saved, nullptr);
    const char *cells[][4] = {{"ID", "FRENCH", "GERMAN", "COMMENT"},
                              {"IDS_E", "Fermer",
                               "Schlie\xC3\x9F"
                               "en",
                               ""},
                              {"IDS_A", "Ouvrir &fichier", "", ""},
                              {"IDS_C", "=SUM(A1)", "=SUMME(A1)", ""}};
    for (lxw_row_t row = 0; row < 4; ++row)
        for (lxw_col_t col = 0; col < 4; ++col)
            if (*cells[row][col])
                worksheet_write_string(sheet, row, col, cells[row][col], nullptr);
    ASSERT_EQ(workbook_close(saved), LXW_NO_ERROR);
    r = runVerbolt({"--import", dir.file("back.xlsx"), dir.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "german.lan: 2 written, 1 unchanged, 0 stale, 0 unknown\n");
    EXPECT_NE(dir.read("german.lan")
                  .find("IDS_C==SUMME(A1)\nIDS_D=0012\nIDS_E=Schlie\xDF"
                        "en\n"),
              std::string::npos);

    dir.write("broken.xlsx", "PK not really");
    EXPECT_EQ(runVerbolt({"--import", dir.file("broken.xlsx"), dir.path()}).status, 2);
}

TEST(Exchange, CsvFromAFrenchSpreadsheet)
{
    Folder dir;
    EXPECT_EQ(runVerbolt({"--export", dir.file("out.csv"), dir.path()}).status, 1);
    const std::string csv = dir.read("out.csv");
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBFID,FRENCH,GERMAN,COMMENT\r\n")) << csv;
    EXPECT_NE(csv.find("IDS_C,'=SUM(A1),'=SUM(A1),\r\n"), std::string::npos) << csv;

    // Saved back by a French spreadsheet: ";", Windows-1252, CRLF, quotes where it likes.
    dir.write("back.csv", "ID;FRENCH;GERMAN;COMMENT\r\n"
                          "IDS_A;Ouvrir &fichier;;\r\n" // empty: no wipe
                          "IDS_B;\"%d \xE9l\xE9ments\";\"%d \"\"Elemente\"\"\";\r\n"
                          "IDS_C;'=SUM(A1);''=SUM(A2);\r\n" // no guard of ours: kept
                          "IDS_E;Fermer;'-5 dB;\r\n"
                          "IDS_Q;Rien;Nichts;\r\n");
    Outcome r = runVerbolt({"--import", dir.file("back.csv"), dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("german.lan: 3 written, 1 unchanged, 0 stale, 1 unknown\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(dir.read("german.lan"), "[Label]\nIDS_B=%d \"Elemente\"\nIDS_A=&Datei \xF6"
                                      "ffnen\n"
                                      "IDS_C=''=SUM(A2)\nIDS_D=0012\nIDS_E=-5 dB\n");

    // A text the code page cannot hold, a language without a file, no header at all.
    dir.write("more.csv", "ID,FRENCH,GERMAN,SPANISH,COMMENT\nIDS_D,0012,\xCE\xA9,x,\n");
    r = runVerbolt({"--import", dir.file("more.csv"), dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("1 refused"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("SPANISH: no language file"), std::string::npos) << r.out;
    dir.write("table.csv", "ID,FRENCH,GERMAN\nIDS_A,Ouvrir &fichier,Schlie\xDF"
                           "en\n");
    r = runVerbolt({"--import", dir.file("table.csv"), dir.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 1 of the CSV"), std::string::npos) << r.err;
}

TEST(Exchange, ControlCharactersAreLeftOutAndNamed)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\nIDS_A=a\x01"
                            "b\nIDS_B=Oui\n");
    dir.write("english.lan", "[Label]\nIDS_A=ab\nIDS_B=Y\x02s\n");
    const Outcome r =
        runVerbolt({"--export", dir.file("x.xliff"), "--language", "ENGLISH", dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("IDS_A: a control character"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("IDS_B: its translation"), std::string::npos) << r.err;
    const std::string x = dir.read("x.xliff");
    EXPECT_EQ(x.find("IDS_A"), std::string::npos);
    EXPECT_NE(x.find("<target state=\"needs-translation\"></target>"), std::string::npos);
}

TEST(Exchange, AKeyAFileLacksLandsAtItsFrenchPlace)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\nIDS_A=Un\nIDS_B=Deux\nIDS_C=Trois\n");
    dir.write("german.lan", "[Label]\nIDS_A=Eins\nIDS_C=Drei\n");
    dir.write("back.csv", "ID,FRENCH,GERMAN,COMMENT\nIDS_B,Deux,Zwei,\n");
    EXPECT_EQ(runVerbolt({"--import", dir.file("back.csv"), dir.path()}).status, 0);
    EXPECT_EQ(dir.read("german.lan"), "[Label]\nIDS_A=Eins\nIDS_B=Zwei\nIDS_C=Drei\n");
}

// An XLIFF file of several megabytes is read a piece at a time: texts cut at a piece's end
// must come back whole. English stays out of a German import but its file is still there.
TEST(Exchange, LargeXliffComesBackWholeAcrossPieces)
{
    TempDir dir;
    std::string french = "[Label]\n", german = "[Label]\n";
    const std::string pad(90, 'x');
    for (int i = 0; i < 20000; ++i) {
        const std::string n = std::to_string(i);
        french += "IDS_" + n + "=Texte " + n + " & " + pad + "\n";
        german += "IDS_" + n + "=Text " + n + " <" + pad + ">\n";
    }
    dir.write("french.lan", french);
    dir.write("german.lan", german);
    dir.write("english.lan", "[Label]\nIDS_0=Text\n");
    const std::string xlf = dir.file("de.xlf");
    ASSERT_EQ(runVerbolt({"--export", xlf, "--language", "de", dir.path()}).status, 0);
    std::string x = dir.read("de.xlf");
    ASSERT_GT(x.size(), 4u << 20);

    Outcome r = runVerbolt({"--import", xlf, "--dry-run", dir.path()});
    EXPECT_EQ(r.out, "german.lan: 0 written, 20000 unchanged, 0 stale, 0 unknown\n");
    replaceOnce(x, "Text 19999 &lt;", "Neu 19999 &lt;");
    dir.write("de.xlf", x);
    r = runVerbolt({"--import", xlf, dir.path()});
    EXPECT_EQ(r.out, "german.lan: 1 written, 19999 unchanged, 0 stale, 0 unknown\n") << r.err;
    EXPECT_NE(dir.read("german.lan").find("\nIDS_19999=Neu 19999 <" + pad + ">\n"),
              std::string::npos);
    EXPECT_EQ(dir.read("english.lan"), "[Label]\nIDS_0=Text\n");
}
