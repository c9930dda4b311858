#include "stringtableextractor.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using verbolt::StringTableExtractor;
using verbolt::test::TempDir;

namespace {

// Real resource scripts beside the project; a clone of the project alone has none.
const std::filesystem::path corpusDir = std::filesystem::path(VERBOLT_SHARED_DIR) / "corpus/rc";

// The string-table entries of each script (by the start of its file name), counted by hand.
const std::map<std::string, std::size_t> entryCounts = {
    {"DavidNash2024_Win32xx", 23},
    {"Open-Shell", 72},
    {"dotnet_coreclr", 623},
    {"microsoft_Microsoft-3D-Movie-Maker", 18},
    {"microsoft_PowerToys", 2},
    {"microsoft_VCSamples__VC2008Samples_ComTypeLibfor7", 73},
    {"microsoft_VCSamples__VC2008Samples_MFC_general_clipart", 63},
    {"microsoft_Windows-classic-samples__Samples_ManagementInfrastructure", 389},
    {"microsoft_Windows-classic-samples__Samples_Win7Samples_begin_sdkdiff", 104},
    {"microsoft_Windows-classic-samples__Samples_Win7Samples_multimedia", 16},
    {"microsoft_Windows-classic-samples__Samples_Win7Samples_netds", 29},
    {"microsoft_Windows-classic-samples__Samples_Win7Samples_winbase", 42},
    {"microsoft_Windows-classic-samples__Samples_Win7Samples_winui", 10},
    {"microsoft_Windows-classic-samples__winui_shell", 8},
    {"microsoft_terminal__src_cascadia", 8},
    {"microsoft_terminal__src_host", 11},
    {"microsoft_winfile__src_lang_res_de-DE", 330},
    {"microsoft_winfile__src_lang_res_ja-JP", 330},
    {"rizonesoft_Notepad3", 180},
    {"zufuliu_notepad4", 64},
};

// The output lines of a label body, or nothing when a CR or LF stands outside a CRLF pair.
std::vector<std::string> outputLines(const std::string &out)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = out.find("\r\n", start)) != std::string::npos; start = lf + 2)
        lines.push_back(out.substr(start, lf - start));
    const auto breaks =
        std::count_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (start != out.size() || static_cast<std::size_t>(breaks) != 2 * lines.size())
        return {};
    return lines;
}

// Extracts a corpus script as the window does, from a copy in a temporary folder, since the
// output is written beside the script.
std::vector<std::string> extractCopy(const std::filesystem::path &script)
{
    TempDir dir;
    dir.write("script.rc", verbolt::test::readFile(script));
    const verbolt::Result result =
        StringTableExtractor::extractToFile(dir.file("script.rc"), "english.txt");
    EXPECT_TRUE(result.ok()) << result.path();
    return outputLines(dir.read("english.txt"));
}

// The output of the script whose file name begins with `prefix`; empty without the corpus.
std::vector<std::string> extractCorpus(const std::string &prefix)
{
    if (!std::filesystem::is_directory(corpusDir))
        return {};
    for (const auto &entry : std::filesystem::directory_iterator(corpusDir))
        if (entry.path().filename().string().starts_with(prefix))
            return extractCopy(entry.path());
    return {};
}

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool contains(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(ExtractCorpus, EveryScriptGivesAWellFormedBodyWithAllItsEntries)
{
    if (!std::filesystem::is_directory(corpusDir))
        GTEST_SKIP() << "no resource scripts at " << corpusDir;
    std::size_t scripts = 0;
    std::size_t entries = 0;
    for (const auto &file : std::filesystem::directory_iterator(corpusDir)) {
        const std::string name = file.path().filename().string();
        if (file.path().extension() != ".rc")
            continue;
        SCOPED_TRACE(name);
        const auto expected =
            std::find_if(entryCounts.begin(), entryCounts.end(),
                         [&](const auto &e) { return name.starts_with(e.first); });
        ASSERT_NE(expected, entryCounts.end());
        ++scripts;

        const auto lines = extractCopy(file.path());
        ASSERT_FALSE(lines.empty()) << "not a CRLF label body";
        EXPECT_EQ(lines.front(), "[Label]");
        for (std::size_t i = 1; i < lines.size(); ++i) {
            // An ID the label reader takes whole: not empty, no blank around it.
            const std::string id = lines[i].substr(0, lines[i].find('='));
            ASSERT_NE(id, lines[i]) << lines[i];
            ASSERT_FALSE(id.empty()) << lines[i];
            EXPECT_FALSE(isBlank(id.front()) || isBlank(id.back())) << lines[i];
        }
        EXPECT_EQ(lines.size() - 1, expected->second);
        entries += lines.size() - 1;
    }
    EXPECT_EQ(scripts, entryCounts.size());
    EXPECT_EQ(entries, 2395u);
}

// Entries checked by hand against their scripts, one script for each way the line-by-line
// reading went wrong.
TEST(ExtractCorpus, EntriesOfRealEditorsStyles)
{
    if (!std::filesystem::is_directory(corpusDir))
        GTEST_SKIP() << "no resource scripts at " << corpusDir;

    // Tab-indented, comma after the ID, sometimes glued to its string.
    auto lines = extractCorpus("microsoft_VCSamples__VC2008Samples_MFC_general_clipart");
    EXPECT_EQ(lines.at(1), "ID_FILE_NEW=Create a new document");
    EXPECT_EQ(lines.at(27), "ID_WINDOW_TILE_HORZ=Arrange windows as non-overlapping tiles");
    EXPECT_EQ(lines.back(), "AFX_IDS_MDICHILD=Activate this window");

    // Usage texts holding NET SEND no longer end the table.
    lines = extractCorpus("microsoft_Windows-classic-samples__Samples_Win7Samples_begin_sdkdiff");
    EXPECT_EQ(lines.at(40), "IDS_USAGE_STR15=-N name\\tNET SEND notification to 'name' at end "
                            "of comparison.\\n");
    EXPECT_EQ(lines.back(), "IDS_PAGE_STR=Page %d of %d pages");

    // Brace tables.
    lines = extractCorpus("DavidNash2024_Win32xx");
    EXPECT_EQ(lines.at(1), "IDW_MAIN=TimeDemo Application");
    EXPECT_EQ(lines.back(), "SC_SIZE=Resize the Window");

    // Wide strings between indented comment lines.
    lines = extractCorpus("microsoft_Windows-classic-samples__Samples_Win7Samples_winbase");
    EXPECT_EQ(lines.at(1), "IDS_WHEA_UNKNOWN=Unknown\\x0000 ");
    EXPECT_EQ(lines.back(), "IDS_WHEA_GUID_ERROR_PACKET_SECTION=Error Packet Section\\x0000 ");

    // Strings on the line after their ID; entries whose string is a macro write nothing.
    lines = extractCorpus("microsoft_Windows-classic-samples__Samples_Win7Samples_netds");
    EXPECT_TRUE(contains(lines, "ikszDisconnectedNoDialTone=A dial tone was not detected. Please "
                                "check your telephone cable connections, and be sure the line is "
                                "not in use by someone else."));
    lines = extractCorpus("dotnet_coreclr");
    EXPECT_EQ(lines.at(1), "MDARC_MARSHALING_RETURN_VALUE_NAME=return value");

    // Expression IDs, a comment after the string, a string continued by backslashes.
    lines = extractCorpus("microsoft_Microsoft-3D-Movie-Maker");
    EXPECT_TRUE(contains(lines, "stidInstallCmdLine=RunDll.exe setupx.dll,InstallHinfSection "));
    EXPECT_TRUE(contains(lines, "stidSectionName + 1=MCIAVI"));
    lines = extractCorpus("microsoft_Windows-classic-samples__winui_shell");
    EXPECT_EQ(lines.at(6), "IDS_MESSAGETEMPLATEFS=The drop target is %s.\\n                     "
                           "       %d files/directories in HDROP\\n                            The "
                           "path to the first object is\\n                            \\t%s.");

    // UTF-8 text with a block comment after each string.
    lines = extractCorpus("microsoft_winfile__src_lang_res_ja-JP");
    EXPECT_EQ(lines.at(1), "IDS_COPYDISK=\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF\xE3\x81"
                           "\xAE\xE3\x82\xB3\xE3\x83\x94\xE3\x83\xBC");
}
