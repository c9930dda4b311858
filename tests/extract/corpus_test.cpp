#include "stringtableextractor.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using verbolt::StringTableExtractor;

namespace {

// Real resource scripts beside the project; a clone of the project alone has none.
const std::filesystem::path corpusDir = std::filesystem::path(VERBOLT_SHARED_DIR) / "corpus/rc";

std::vector<std::string> outputLines(const std::string &out)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = out.find("\r\n", start)) != std::string::npos; start = lf + 2)
        lines.push_back(out.substr(start, lf - start));
    return lines;
}

// The extraction of one corpus script, or an empty list (and a skip) without the corpus.
std::vector<std::string> extractCorpus(const std::string &name)
{
    const auto path = corpusDir / name;
    if (!std::filesystem::exists(path))
        return {};
    return outputLines(StringTableExtractor::ExtractStringTable(verbolt::test::readFile(path)));
}

bool contains(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(ExtractCorpus, EveryScriptGivesWellFormedLabelLines)
{
    if (!std::filesystem::is_directory(corpusDir))
        GTEST_SKIP() << "no resource scripts at " << corpusDir;
    int scripts = 0;
    for (const auto &entry : std::filesystem::directory_iterator(corpusDir)) {
        if (entry.path().extension() != ".rc")
            continue;
        ++scripts;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string script = verbolt::test::readFile(entry.path());
        const std::string out = StringTableExtractor::ExtractStringTable(script);

        ASSERT_TRUE(out.starts_with("[Label]\r\n"));
        ASSERT_TRUE(out.ends_with("\r\n"));
        // Every LF is the end of a CRLF pair: no bare line feed slips through.
        const auto lfs = std::count(out.begin(), out.end(), '\n');
        EXPECT_EQ(static_cast<std::size_t>(lfs), outputLines(out).size());

        const auto lines = outputLines(out);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::size_t eq = lines[i].find('=');
            ASSERT_NE(eq, std::string::npos) << lines[i];
            ASSERT_GT(eq, 0u) << lines[i];
            EXPECT_NE(script.find(lines[i].substr(0, eq) + ' '), std::string::npos) << lines[i];
        }
    }
    EXPECT_GT(scripts, 0);
}

// Tab-indented LF script: IDs keep the comma that follows them, and an ID glued to its
// string splits inside the string.
TEST(ExtractCorpus, MenuPromptsScript)
{
    const auto lines =
        extractCorpus("microsoft_VCSamples__VC2008Samples_MFC_general_clipart_prompts.rc");
    if (lines.empty())
        GTEST_SKIP() << "corpus absent";
    ASSERT_EQ(lines.size(), 1u + 44u + 5u + 4u + 10u);
    EXPECT_EQ(lines[1], "ID_FILE_NEW,=Create a new document");
    EXPECT_EQ(lines[44], "ID_VIEW_STATUS_BAR,=Show or hide the status bar");
    EXPECT_EQ(lines[45], "ID_OLE_EDIT_LINKS,=Edit linked objects");
    EXPECT_EQ(lines[63], "AFX_IDS_MDICHILD,=Activate this window");
    EXPECT_TRUE(contains(lines, "ID_WINDOW_TILE_HORZ,\"Arrange=indows as non-overlapping tiles"));
    EXPECT_TRUE(contains(lines, "ID_RECORD_FIRST=Move to first record"));
    // The TEXTINCLUDE block before the tables gives nothing.
    EXPECT_FALSE(contains(lines, "=annot change standard MFC resources.\\0"));
}

// CRLF script whose usage text holds "NET SEND": that entry ends the first table early.
TEST(ExtractCorpus, SdkDiffScript)
{
    const auto lines = extractCorpus(
        "microsoft_Windows-classic-samples__Samples_Win7Samples_begin_sdkdiff_sdkdiff.rc");
    if (lines.empty())
        GTEST_SKIP() << "corpus absent";
    ASSERT_EQ(lines.size(), 1u + 39u + 3u);
    EXPECT_EQ(lines[1], "IDS_LINE_NOT_VISIBLE=Line not visible in this view");
    EXPECT_EQ(lines[13], "IDS_HEADER_LINE_STR=-- %s -- includes %s%s%s%s files\\r\\n");
    EXPECT_EQ(lines[39], "IDS_USAGE_STR14=-LR\\tReverse comparison, so local files are on the left "
                         "side.\\n");
    EXPECT_EQ(lines[40], "IDS_MEMORY_ALLOC_FAIL=Memory allocation failed");
    EXPECT_EQ(lines[42], "IDS_PAGE_STR=Page %d of %d pages");
}

// CRLF script of wide strings with indented comment lines inside its table.
TEST(ExtractCorpus, DumpRecScript)
{
    const auto lines = extractCorpus("microsoft_Windows-classic-samples__Samples_Win7Samples_"
                                     "winbase_WHEA_DumpRec_exe_dumprec.rc");
    if (lines.empty())
        GTEST_SKIP() << "corpus absent";
    ASSERT_EQ(lines.size(), 1u + 42u + 1u);
    EXPECT_EQ(lines[1], "IDS_WHEA_UNKNOWN=\"Unknown\\x0000 ");
    EXPECT_EQ(lines[2], "//=eader labels");
    EXPECT_EQ(lines[3], "IDS_LABEL_INVALID_ERROR_RECORD=\"Invalid Common Platform Error "
                        "Record.\\n\\x0000 ");
    EXPECT_EQ(lines[43], "IDS_WHEA_GUID_ERROR_PACKET_SECTION=\"Error Packet Section\\x0000 ");
}

// Every table of this script is delimited by braces.
TEST(ExtractCorpus, BraceTablesScript)
{
    const auto lines = extractCorpus("DavidNash2024_Win32xx__samples_TimeDemo_src_resource.rc");
    if (lines.empty())
        GTEST_SKIP() << "corpus absent";
    EXPECT_EQ(lines, std::vector<std::string>{"[Label]"});
}
