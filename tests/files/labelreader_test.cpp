#include "labelreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using verbolt::LabelReader;

namespace {

std::vector<std::pair<std::string, std::string>> entries(std::string_view content)
{
    std::vector<std::pair<std::string, std::string>> out;
    LabelReader::forEachEntry(content, [&](const verbolt::LabelLine &l) {
        out.emplace_back(std::string(l.key), std::string(l.value));
    });
    return out;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(LabelReading, KindsOfLine)
{
    const std::string file = "[Label]\n"
                             "KEY=Text\n"
                             "  KEY = Some text  \n"
                             "=no key\n"
                             "EMPTY=\n"
                             "A=a=b\n"
                             "Q=\"quoted\"\n"
                             "; comment=1\n"
                             " ; indented=2\n"
                             "\t[sec]=3\n"
                             "#hash=4\n"
                             "no equals sign\n"
                             "   \n"
                             "\n"
                             "[Other]\n"
                             "UNDER=other section\n"
                             "NBSP=x\xA0\n";
    EXPECT_EQ(entries(file), (Entries{{"KEY", "Text"},
                                      {"KEY ", "Some text"},
                                      {"", "no key"},
                                      {"EMPTY", ""},
                                      {"A", "a=b"},
                                      {"Q", "\"quoted\""},
                                      {"; indented", "2"},
                                      {"[sec]", "3"},
                                      {"#hash", "4"},
                                      {"UNDER", "other section"},
                                      {"NBSP", "x\xA0"}}));
}

TEST(LabelReading, LineEndsAndTheLastLine)
{
    // CRLF and LF give the same entries; a last line without a line feed keeps its last
    // character; a byte-order mark is not part of the first line.
    EXPECT_EQ(entries("[Label]\r\nA=1\r\nB=two\r\n"), entries("[Label]\nA=1\nB=two\n"));
    EXPECT_EQ(entries("A=1\nB=xyz"), (Entries{{"A", "1"}, {"B", "xyz"}}));
    EXPECT_EQ(entries("\xEF\xBB\xBF[Label]\nA=1\n"), (Entries{{"A", "1"}}));
    EXPECT_EQ(entries("\xEF\xBB\xBF"
                      "A=1\n"),
              (Entries{{"A", "1"}}));
    // A NUL first byte skips the line; elsewhere NUL is an ordinary byte.
    EXPECT_EQ(entries(std::string("\0X=1\nY=a\0b\n", 12)),
              (Entries{{"Y", std::string("a\0b", 3)}}));
}

TEST(LabelReading, LongLinesAreReadWhole)
{
    const std::string longText(5000, 'x');
    EXPECT_EQ(entries("A=" + longText + "\nB=2\n"), (Entries{{"A", longText}, {"B", "2"}}));
}

TEST(LabelReading, CountIncludesBlankLinesButNotCommentsOrSections)
{
    // [Label], 3 entries, 1 blank line, 1 comment: 4 counted, 3 entries.
    const std::string file = "[Label]\r\nA=1\r\nB=2\r\n\r\n; note\r\nC=3\r\n";
    EXPECT_EQ(LabelReader::countLabelLines(file), 4);
    EXPECT_EQ(entries(file).size(), 3u);
    EXPECT_EQ(LabelReader::countLabelLines("x\n ;y\n\n  \n"), 4);
    EXPECT_EQ(LabelReader::countLabelLines(""), 0);
    EXPECT_EQ(LabelReader::countLabelLines("A=1"), 1);
}
