#include "csvexport.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sstream>

using verbolt::CsvExport;
using verbolt::test::TempDir;

namespace {

std::string exportOf(const TempDir &dir)
{
    std::ostringstream out;
    EXPECT_TRUE(CsvExport::exportDirectory(dir.path(), out).ok());
    return out.str();
}

} // namespace

TEST(CsvExport, QuotesOnlyFieldsThatNeedItAndKeepsEveryOtherByte)
{
    TempDir dir;
    dir.write("french.lan", "\xEF\xBB\xBF[Label]\r\n"
                            "PLAIN=Ouvrir le fichier\r\n"
                            "COMMA=Oui, non\r\n"
                            "QUOTE=Le \"mot\" juste\r\n"
                            "ONLYQUOTE=\"\r\n"
                            "CR=avant\rapr\xC3\xA8s\r\n"
                            "PADDED   =   texte avec blancs   \r\n"
                            "  INDENTED=x\r\n"
                            "EMPTY=\r\n"
                            "EQ=a=b\r\n");
    // A byte-order mark is never written, and the one read does not reach the first ID.
    EXPECT_EQ(exportOf(dir), "ID,FRENCH\r\n"
                             "PLAIN,Ouvrir le fichier\r\n"
                             "COMMA,\"Oui, non\"\r\n"
                             "QUOTE,\"Le \"\"mot\"\" juste\"\r\n"
                             "ONLYQUOTE,\"\"\"\"\r\n"
                             "CR,\"avant\rapr\xC3\xA8s\"\r\n"
                             "PADDED   ,texte avec blancs\r\n"
                             "INDENTED,x\r\n"
                             "EMPTY,\r\n"
                             "EQ,a=b\r\n");

    // A line feed cannot come from a label file, but a field holding one is still quoted.
    std::string record;
    CsvExport::appendField("a\nb", record);
    CsvExport::appendField(" edge ", record);
    EXPECT_EQ(record, "\"a\nb\" edge ");

    // What a spreadsheet would run as a formula gets one leading quote mark, inside the
    // field's double quotes when it has them; one that only holds such a sign further on not.
    record.clear();
    for (const char *cell : {"=1+1", "+x", "-x", "@x", "\tx", "\rx", "=a,b", "a=b", ""}) {
        CsvExport::appendField(cell, record);
        record += '|';
    }
    EXPECT_EQ(record, "'=1+1|'+x|'-x|'@x|'\tx|\"'\rx\"|\"'=a,b\"|a=b||");
    dir.write("french.lan", "[Label]\r\nSUM==SUM(A1)\r\nMINUS=-1\r\n");
    EXPECT_EQ(exportOf(dir), "ID,FRENCH\r\nSUM,'=SUM(A1)\r\nMINUS,'-1\r\n");
}

TEST(CsvExport, ConvertsEveryTextFromTheCodePageOfTheRun)
{
    // Windows-1252: accented letters, the euro sign and the unassigned 0x81 all survive.
    TempDir cp1252;
    cp1252.write("french.lan", "[Label]\r\nA=\xE9t\xE9 \x80 \x81\r\n");
    cp1252.write("\xE9t\xE9.lan", "[Label]\r\nA=\xE0 l'ombre\r\n");
    EXPECT_EQ(exportOf(cp1252), "ID,FRENCH,\xC3\x89T\xC3\x89\r\n"
                                "A,\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xC2\x81,\xC3\xA0 l'ombre\r\n");

    // UTF-8: one file with multi-byte characters makes the whole set UTF-8, copied as is.
    TempDir utf8;
    utf8.write("french.lan", "[Label]\nA=plain\nB=ascii\n");
    utf8.write("german.lan", "[Label]\nA=Gr\xC3\xB6\xC3\x9F\x65\nB=\xE2\x82\xAC, bitte\n");
    EXPECT_EQ(exportOf(utf8), "ID,FRENCH,GERMAN\r\n"
                              "A,plain,Gr\xC3\xB6\xC3\x9F\x65\r\n"
                              "B,ascii,\"\xE2\x82\xAC, bitte\"\r\n");

    // One file that is not valid UTF-8 puts every file in Windows-1252.
    TempDir mixed;
    mixed.write("french.lan", "[Label]\nA=\xC3\xA9\n");
    mixed.write("german.lan", "[Label]\nA=\xE9\n");
    EXPECT_EQ(exportOf(mixed), "ID,FRENCH,GERMAN\r\nA,\xC3\x83\xC2\xA9,\xC3\xA9\r\n");
}

TEST(CsvExport, ColumnsFollowTheStartUpLoad)
{
    TempDir dir;
    dir.write("French.LAN", "[Label]\r\n; comment\r\nONE=un\r\nTWO=deux\r\nTHREE=trois\r\n");
    // Columns come in folded name order; a short file leaves cells empty, a long one's
    // surplus is not shown, and the ID column is French's whatever the other files say.
    dir.write("italian.lan", "[Label]\r\nONE=uno\r\nTWO=due\r\nTHREE=tre\r\nFOUR=quattro\r\n");
    dir.write("English.lan", "[Label]\r\nONE=one\r\n");
    dir.write("spanish.lan", "[Label]\r\nX=uno\r\nY=dos\r\nZ=tres\r\n");
    std::filesystem::create_directory(dir.file("german.lan"));
    dir.write("notes.txt", "A=not a label file\r\n");
    EXPECT_EQ(exportOf(dir), "ID,FRENCH,ENGLISH,GERMAN,ITALIAN,SPANISH\r\n"
                             "ONE,un,one,,uno,uno\r\n"
                             "TWO,deux,,,due,dos\r\n"
                             "THREE,trois,,,tre,tres\r\n");
}

TEST(CsvExport, WithoutAReadableFrenchFile)
{
    // No French file: nothing at all, not even the header record.
    TempDir none;
    none.write("english.lan", "[Label]\r\nA=a\r\n");
    EXPECT_EQ(exportOf(none), "");

    TempDir empty;
    EXPECT_EQ(exportOf(empty), "");

    // A French file that is there but cannot be read is an error, named as on disk.
    TempDir unreadable;
    std::filesystem::create_directory(unreadable.file("French.lan"));
    std::ostringstream out;
    verbolt::Result r = CsvExport::exportDirectory(unreadable.path(), out);
    EXPECT_EQ(r.failure(), verbolt::Result::Failure::Read);
    EXPECT_EQ(r.path(), "French.lan");
    EXPECT_EQ(out.str(), "");

    r = CsvExport::exportDirectory(unreadable.file("missing/"), out);
    EXPECT_EQ(r.failure(), verbolt::Result::Failure::List);
    EXPECT_EQ(r.error(), ENOENT);
}
