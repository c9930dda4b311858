#include "stringtableextractor.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

using verbolt::StringTableExtractor;

namespace {

const std::string dataDir = VERBOLT_EXTRACT_DATA;

std::string extract(std::string_view script)
{
    return StringTableExtractor::ExtractStringTable(script);
}

// The expected output: the header, then the given lines, each ending in CRLF.
std::string labels(std::initializer_list<std::string_view> entries)
{
    std::string out = "[Label]\r\n";
    for (const std::string_view e : entries)
        out.append(e).append("\r\n");
    return out;
}

// A script whose body lines stand inside one STRINGTABLE ... BEGIN ... END.
std::string table(std::string_view body)
{
    return "STRINGTABLE DISCARDABLE\nBEGIN\n" + std::string(body) + "END\n";
}

} // namespace

TEST(ExtractStringTable, TableEntriesBecomeLabelLines)
{
    const std::string script =
        "STRINGTABLE DISCARDABLE\nBEGIN\n    IDS_HELLO           \"Hello world\"\nEND\n";
    EXPECT_EQ(extract(script), labels({"IDS_HELLO=Hello world"}));

    // CRLF line ends give the same output: the CR is trimmed as white space, and a line
    // holding only a CR is as good as empty.
    std::string crlf;
    for (const char c : script + "\n")
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(extract(crlf), extract(script));

    // Nothing to extract still gives the header; so does an empty script.
    EXPECT_EQ(extract("#include \"res.h\"\nIDI_APP ICON \"app.ico\"\n"), labels({}));
    EXPECT_EQ(extract(""), labels({}));
}

TEST(ExtractStringTable, SimpleScriptGivesItsGoldenOutput)
{
    EXPECT_EQ(extract(verbolt::test::readFile(dataDir + "/simple.rc")),
              verbolt::test::readFile(dataDir + "/simple.txt"));
}

TEST(ExtractStringTable, IdEndsAtFirstBlankAndTextLosesItsEnds)
{
    EXPECT_EQ(extract(table("IDS_A  \t   \"Many blanks\"   \n"
                            "IDS_TAB\t\"Two words\"\n"
                            "IDS_NEXTLINE\n"
                            "    \"Hello world\"\n"
                            "IDS_EMPTY \"\"\n"
                            "IDS_ONE \"\n"
                            "IDS_WIDE L\"abc\"\n"
                            "IDS_NOTE \"Text\" // shown\n"
                            "IDS_ESC \"say \"\"hi\"\"\\n\\t\"\n")),
              labels({"IDS_A=Many blanks",
                      // A tab does not split: the first real blank is inside the string.
                      "IDS_TAB\t\"Two=ords",
                      // An ID without a blank is dropped; its string line splits on its own.
                      "\"Hello=orld", "IDS_EMPTY=", "IDS_ONE=", "IDS_WIDE=\"abc",
                      "IDS_NOTE=Text\" // show", "IDS_ESC=say \"\"hi\"\"\\n\\t"}));
}

TEST(ExtractStringTable, KeywordsAnywhereInALineSteerTheTables)
{
    // END inside an entry ends the table; what follows is ignored up to the next table.
    EXPECT_EQ(extract("STRINGTABLE\nBEGIN\n"
                      "IDS_BEFORE \"before\"\n"
                      "IDS_SEND \"Send\"\n"
                      "IDS_LOST \"lost\"\n"
                      "END\n"
                      "STRINGTABLE\nBEGIN\n"
                      "IDS_MSG \"THE END\"\n"
                      "IDS_LOST2 \"lost\"\n"
                      "END\n"
                      "STRINGTABLE\nBEGIN\n"
                      "IDS_AFTER \"after\"\n"
                      "END\n"),
              labels({"IDS_BEFORE=before", "IDS_AFTER=after"}));

    // BEGIN or STRINGTABLE inside an entry drops only that entry, even beside an END: they
    // are tested first. Lower case is plain text.
    EXPECT_EQ(extract(table("IDS_BEGIN_X \"x\"\n"
                            "IDS_Y \"a STRINGTABLE\"\n"
                            "IDS_BEGIN_END \"x\"\n"
                            "IDS_Z \"STRINGTABLE END\"\n"
                            "IDS_CASE \"The End, begin again\"\n")),
              labels({"IDS_CASE=The End, begin again"}));

    // Entries between STRINGTABLE and its BEGIN are not written.
    EXPECT_EQ(extract("STRINGTABLE\nIDS_EARLY \"early\"\nBEGIN\nIDS_LATE \"late\"\nEND\n"),
              labels({"IDS_LATE=late"}));
}

TEST(ExtractStringTable, BlocksOutsideTablesAndBraceTablesGiveNothing)
{
    EXPECT_EQ(extract("IDR_MENU MENU\nBEGIN\n    POPUP \"&File\"\n    BEGIN\n"
                      "        MENUITEM \"E&xit\", IDM_EXIT\n    END\nEND\n"
                      "STRINGTABLE\nBEGIN\n    IDS_ONE \"one\"\nEND\n"
                      "IDD_ABOUT DIALOG 0, 0, 100, 50\nBEGIN\n"
                      "    LTEXT \"About\", -1, 5, 5, 90, 8\nEND\n"
                      "STRINGTABLE\nBEGIN\n    IDS_TWO \"two\"\nEND\n"),
              labels({"IDS_ONE=one", "IDS_TWO=two"}));

    EXPECT_EQ(extract("STRINGTABLE\n{\n    IDS_A \"a\"\n}\n"), labels({}));

    // A brace table never leaves its header state, so the next BEGIN opens its entries.
    EXPECT_EQ(extract("STRINGTABLE\n{\n    IDS_A \"a\"\n}\n"
                      "IDD_X DIALOG 0, 0, 10, 10\nBEGIN\n    LTEXT \"Hi\", -1, 0, 0, 5, 5\nEND\n"
                      "IDD_Y DIALOG 0, 0, 10, 10\nBEGIN\n    LTEXT \"Lo\", -1, 0, 0, 5, 5\nEND\n"),
              labels({"LTEXT=Hi\", -1, 0, 0, 5, "}));
}

TEST(ExtractStringTable, OnlyCommentsAtTheVeryStartOfALineAreSkipped)
{
    EXPECT_EQ(extract(table("// END of the first part\n"
                            "//IDS_OFF \"off\"\n"
                            "IDS_ON \"on\"\n"
                            "    // note here\n"
                            "\t//\n")),
              labels({"IDS_ON=on", "//=ote her"}));

    // An indented comment is read like any line, keywords included.
    EXPECT_EQ(extract(table("  // END\nIDS_GONE \"gone\"\n")), labels({}));

    // A byte-order mark does not hide a comment on the first line.
    EXPECT_EQ(extract("\xEF\xBB\xBF// STRINGTABLE here\nBEGIN\nIDS_A \"a\"\nEND\n"), labels({}));
}

TEST(ExtractStringTable, LinesAreTakenWholeWhateverTheirEnd)
{
    // A last line without a line feed keeps its last character.
    EXPECT_EQ(extract("STRINGTABLE\nBEGIN\nIDS_LAST \"last\""), labels({"IDS_LAST=last"}));
    EXPECT_EQ(extract("STRINGTABLE\r\nBEGIN\r\nIDS_LAST \"last\"\r"), labels({"IDS_LAST=last"}));

    // A lone CR ends a line as well (found by fuzzing: kept inside a line it reached the
    // output as a bare CR, a line break the label reader does not see).
    EXPECT_EQ(extract("STRINGTABLE\rBEGIN\r2\r IDS_A \"a\"\rIDS_B \"b\rc\"\r\nIDS_C\r \"c\"\nEND"),
              labels({"IDS_A=a", "IDS_B="}));

    // A line far beyond 999 bytes stays one entry; a "END" placed past the first kilobyte
    // belongs to the same line and still ends the table.
    const std::string longText(3000, 'x');
    EXPECT_EQ(extract(table("IDS_LONG \"" + longText + "\"\n")), labels({"IDS_LONG=" + longText}));
    EXPECT_EQ(extract(table("IDS_X \"" + longText + " END\"\nIDS_Y \"y\"\n")), labels({}));

    // Bytes pass unchanged, whatever their code page.
    EXPECT_EQ(extract(table("IDS_DE \"Gr\xC3\xBC\xC3\x9F"
                            "e\"\nIDS_CP \"caf\xE9\"\n")),
              labels({"IDS_DE=Gr\xC3\xBC\xC3\x9F"
                      "e",
                      "IDS_CP=caf\xE9"}));
}
