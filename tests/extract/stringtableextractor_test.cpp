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
    return StringTableExtractor::ExtractStringTable(script).value_or("(refused)");
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

// A script saved as UTF-16 with its byte-order mark.
std::string utf16(std::u16string_view text, bool littleEndian)
{
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += littleEndian ? low : high;
        out += littleEndian ? high : low;
    }
    return out;
}

} // namespace

TEST(ExtractStringTable, SimpleScriptGivesTheOutputItAlwaysGave)
{
    // The expected file was written by the line-by-line reading this one replaced.
    const std::string script = verbolt::test::readFile(dataDir + "/simple.rc");
    EXPECT_EQ(extract(script), verbolt::test::readFile(dataDir + "/simple.txt"));

    // LF line ends give the same output.
    std::string lf = script;
    std::erase(lf, '\r');
    EXPECT_EQ(extract(lf), extract(script));

    // Nothing to extract still gives the header.
    EXPECT_EQ(extract("#include \"res.h\"\nIDI_APP ICON \"app.ico\"\n"), labels({}));
    EXPECT_EQ(extract(""), labels({}));
}

TEST(ExtractStringTable, IdIsTheTextBeforeTheLiteralAndTextIsBetweenItsQuotes)
{
    EXPECT_EQ(
        extract("STRINGTABLE\n{\n"
                "\tID_FILE_NEW,        \"Create a new document\"\n"
                "\tID_WINDOW_TILE_HORZ,\"Arrange windows\"\n"
                "IDS_TAB\t\"Two words\"\n"
                "IDS_WIDE L\"wide\" // a note\n"
                "IDS_NOTE \"Text\" /* note */\n"
                "MH_POPUP+IDM_FILE, \"expression\"\n"
                "IDS/* a comment is a blank */2 \"commented\"\n"
                "  42 , \"number\"\n"
                "IDS_ESC \"say \"\"hi\"\" and \\\"bye\\\"\\n\"\n"
                "IDS_PATH \"C:\\\\\" // ends at its last quote\n"
                "IDS_OPEN \"never closed \n"
                ", \"a literal without an ID\"\n"
                "IDS_EMPTY \"\"\n"
                "IDS_TWO \"one\" IDS_THREE \"two on a line\"\n"
                "}\n"),
        labels({"ID_FILE_NEW=Create a new document", "ID_WINDOW_TILE_HORZ=Arrange windows",
                "IDS_TAB=Two words", "IDS_WIDE=wide", "IDS_NOTE=Text",
                "MH_POPUP+IDM_FILE=expression", "IDS 2=commented", "42=number",
                "IDS_ESC=say \"\"hi\"\" and \\\"bye\\\"\\n", "IDS_PATH=C:\\\\",
                "IDS_OPEN=never closed ", "IDS_EMPTY=", "IDS_TWO=one", "IDS_THREE=two on a line"}));
}

TEST(ExtractStringTable, AnIdAloneOnItsLineTakesTheLiteralOpeningTheNext)
{
    EXPECT_EQ(extract(table("IDS_NEXT\n"
                            "        \"on the next line\"\n"
                            "IDS_NOTED // the string follows\n"
                            "    L\"after a comment\" \"and a stray one\"\n"
                            "IDS_MACRO    SOME_MACRO_MSG\n"
                            "IDS_AFTER    \"after the macro\"\n"
                            "IDS_GAP\n"
                            "\n"
                            "    \"two lines down\"\n"
                            "IDS_LAST\n")),
              labels({"IDS_NEXT=on the next line", "IDS_NOTED=after a comment",
                      "IDS_AFTER=after the macro"}));
}

TEST(ExtractStringTable, KeywordsAreUpperCaseWholeWordsOutsideLiterals)
{
    EXPECT_EQ(extract("STRINGTABLE\n"
                      "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
                      "IDS_EARLY \"in the header\"\n"
                      "BEGIN\n"
                      "    IDS_SEND_MAIL   \"Send\"\n"
                      "    IDS_LEGEND      \"THE END\"\n"
                      "    IDS_BEGIN_2     \"{ BEGIN } STRINGTABLE\"\n"
                      "    IDS_CASE        \"end\" // END\n"
                      "    IDS_LAST end    \"lower case is plain text\"\n"
                      "END\n"
                      "IDS_OUTSIDE \"no table\"\n"
                      "IDR_MENU MENU\nBEGIN\n    POPUP \"&File\"\n    BEGIN\n"
                      "        MENUITEM \"E&xit\", IDM_EXIT\n    END\nEND\n"
                      "stringtable\nBEGIN\n    IDS_LOWER \"not a table\"\nEND\n"
                      "STRINGTABLE { IDS_ONE \"one\" } IDS_NONE \"none\"\n"
                      "STRINGTABLE BEGIN IDS_TWO \"two\" END\n"),
              labels({"IDS_SEND_MAIL=Send", "IDS_LEGEND=THE END",
                      "IDS_BEGIN_2={ BEGIN } STRINGTABLE", "IDS_CASE=end",
                      "IDS_LAST end=lower case is plain text", "IDS_ONE=one", "IDS_TWO=two"}));
}

TEST(ExtractStringTable, CommentsAndPreprocessorLinesAreSkipped)
{
    EXPECT_EQ(extract("// STRINGTABLE\n"
                      "/* STRINGTABLE\n"
                      "BEGIN IDS_C \"c\" */\n"
                      "#define IDS_X \"STRINGTABLE\"\n"
                      "STRINGTABLE\n"
                      "BEGIN\n"
                      "    // IDS_OFF \"off\"\n"
                      "    /* IDS_OFF \"off\"\n"
                      "       END */ IDS_ON \"on\"\n"
                      "  #ifdef FEATURE /* a comment that a preprocessor line opens\n"
                      "    IDS_HIDDEN \"hidden\" */\n"
                      "    IDS_KEPT \"inside #ifdef\"\n"
                      "  #endif\n"
                      "    \"a string after a preprocessor line\"\n"
                      "    IDS_URL \"http://host/*.rc\" // a comment\n"
                      "END\n"),
              labels({"IDS_ON=on", "IDS_KEPT=inside #ifdef", "IDS_URL=http://host/*.rc"}));
}

TEST(ExtractStringTable, LineEndsAndBackslashContinuations)
{
    // LF, CRLF and a lone CR each end a line; a last line needs no line end.
    EXPECT_EQ(extract("STRINGTABLE\rBEGIN\r\n IDS_A \"a\"\rIDS_B \"b\"\nIDS_C \"c\"\r\nEND"),
              labels({"IDS_A=a", "IDS_B=b", "IDS_C=c"}));
    EXPECT_EQ(extract("STRINGTABLE\nBEGIN\nIDS_LAST \"last\""), labels({"IDS_LAST=last"}));

    // A backslash just before a line end joins the lines, inside a literal, an ID, a comment
    // or a preprocessor line alike.
    EXPECT_EQ(extract(table("IDS_LONG \"first,\\\r\n  second\"\n"
                            "IDS_SPL\\\nIT \"joined ID\"\r"
                            "// a comment \\\n IDS_GONE \"in the comment\"\n"
                            "#define MSG \\\n IDS_GONE \"in the define\"\n"
                            "IDS_CLOSED \"a\\\\\" \\\n"
                            "IDS_JOINED \"after it\"\n")),
              labels({"IDS_LONG=first,  second", "IDS_SPLIT=joined ID", "IDS_CLOSED=a\\\\",
                      "IDS_JOINED=after it"}));
    // A backslash at the very end, with no line end after it, stays.
    EXPECT_EQ(extract("STRINGTABLE\nBEGIN\nIDS_X \"x\\"), labels({"IDS_X=x\\"}));

    // A UTF-8 byte-order mark is not part of the first line: it does not hide a "#".
    EXPECT_EQ(extract("\xEF\xBB\xBF#define ID STRINGTABLE\nBEGIN\nIDS_A \"a\"\nEND\n"), labels({}));

    // Long lines are read whole, and bytes pass unchanged whatever their code page.
    const std::string longText(3000, 'x');
    EXPECT_EQ(extract(table("IDS_LONG \"" + longText + "\"\nIDS_CP \"caf\xE9\"\n")),
              labels({"IDS_LONG=" + longText, "IDS_CP=caf\xE9"}));
}

TEST(ExtractStringTable, Utf16ScriptsAreWrittenInWindows1252WhenTheirEntriesFit)
{
    // Characters outside the entries (the comment) do not decide the output's code page.
    const std::u16string latin =
        u"// \u65E5\u672C\r\nSTRINGTABLE\r\nBEGIN\r\n"
        u"  IDS_CAFE \"Caf\u00E9 \u20AC5\"\r\n  IDS_EURO L\"\u0152uvre\"\r\nEND\r\n";
    const std::string inCp1252 = labels({"IDS_CAFE=Caf\xE9 \x80"
                                         "5",
                                         "IDS_EURO=\x8Cuvre"});
    EXPECT_EQ(extract(utf16(latin, true)), inCp1252);
    EXPECT_EQ(extract(utf16(latin, false)), inCp1252);

    // One character without a Windows-1252 byte puts the whole output in UTF-8.
    const std::u16string wide = u"STRINGTABLE { IDS_CAFE \"Caf\u00E9\"\n"
                                u"IDS_JA \"\u65E5\u672C\"\nIDS_EMOJI \"\U0001F600\" }";
    const std::string inUtf8 = labels(
        {"IDS_CAFE=Caf\xC3\xA9", "IDS_JA=\xE6\x97\xA5\xE6\x9C\xAC", "IDS_EMOJI=\xF0\x9F\x98\x80"});
    EXPECT_EQ(extract(utf16(wide, true)), inUtf8);
    EXPECT_EQ(extract(utf16(wide, false)), inUtf8);

    // Malformed UTF-16 is refused: an odd byte count, a surrogate without its pair.
    EXPECT_EQ(extract(utf16(latin, true) + "x"), "(refused)");
    EXPECT_EQ(extract(utf16(u"IDS \"\xD83D\"", true)), "(refused)");
    EXPECT_EQ(extract(utf16(u"IDS \"\xDE00\"", false)), "(refused)");
    EXPECT_EQ(extract(utf16(u"IDS \xD83D", true)), "(refused)");
    EXPECT_EQ(extract(utf16(u"", true)), labels({}));
}
