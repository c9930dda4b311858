#include "commandline.h"
#include "hunspellchecker.h"
#include "tempdir.h"
#include "textchecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using verbolt::HunspellChecker;
using verbolt::TextChecks;

namespace {

bool installed(std::string_view column)
{
    const std::string_view name = HunspellChecker::dictionaryName(column);
    return std::filesystem::exists("/usr/share/hunspell/" +
                                   std::string(name.empty() ? column : name) + ".dic");
}

} // namespace

TEST(Spelling, UnknownWordsOnlyProseIsAskedAbout)
{
    if (!installed("ENGLISH") || !installed("GERMAN"))
        GTEST_SKIP() << "the English and German dictionaries are not installed";
    HunspellChecker words;
    // Read on a thread of their own, the dictionaries answer as when read on first asking.
    words.openInBackground({"ENGLISH", "GERMAN", "DUTCH"});
    EXPECT_TRUE(words.known("GERMAN", "Haus"));
    words.waitUntilOpened();
    EXPECT_TRUE(words.ready("ENGLISH") && words.ready("DUTCH"));
    EXPECT_TRUE(words.known("ENGLISH", "colour") || words.known("ENGLISH", "color"));
    EXPECT_FALSE(words.known("ENGLISH", "recieve"));
    EXPECT_TRUE(words.known("GERMAN", "Größe")) << "UTF-8 words reach the dictionary whole";
    const auto s = words.suggestions("ENGLISH", "recieve");
    EXPECT_NE(std::find(s.begin(), s.end(), "receive"), s.end());

    const auto spell = [&](std::string_view french, std::string_view text) {
        return TextChecks::spelling(french, text, "ENGLISH", words);
    };
    EXPECT_EQ(spell("Recevoir", "Recieve the fles"), "unknown words \"Recieve\", \"fles\"");
    // Placeholders, accelerators, escapes, URLs, markup, numbers and names the French text
    // has are not checked.
    EXPECT_EQ(spell("Ouvrir %1 sur Clairvue", "&Open %1 on Clairvue\\nsee "
                                              "https://xqzt.example/wrd <b>now</b> 3rd"),
              "");
    EXPECT_EQ(spell("x", "&Opne"), "unknown word \"Opne\"");
    // Key names of a shortcut are no words.
    EXPECT_EQ(TextChecks::spelling("Ctrl+Molette", "Strg+Mausrad", "GERMAN", words), "");
    // German joins nouns: two known words make one; two unknown ones do not.
    EXPECT_TRUE(words.known("GERMAN", "Albumeigenschaften"));
    EXPECT_TRUE(words.known("GERMAN", "Albumname"));
    EXPECT_FALSE(words.known("GERMAN", "Albumxqzteigen"));
    if (installed("en_GB")) {
        EXPECT_TRUE(words.known("ENGLISH", "Organiser")) << "British spellings are English too";
    }
    // A language without a dictionary is not checked.
    EXPECT_EQ(TextChecks::spelling("x", "qqqzz", "DUTCH", words), "");
}

TEST(Spelling, CheckRunsItOnlyWhenAskedAndSaysWhenADictionaryIsMissing)
{
    if (!installed("ENGLISH"))
        GTEST_SKIP() << "the English dictionary is not installed";
    verbolt::test::TempDir dir;
    dir.write("french.lan", "[Label]\nA=Recevoir\n");
    dir.write("english.lan", "[Label]\nA=Recieve\n");
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "verbolt");
        args.push_back(dir.path());
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        std::ostringstream out, err;
        verbolt::CommandLine::run(static_cast<int>(argv.size()), argv.data(), out, err);
        return out.str();
    };
    EXPECT_EQ(run({"--check"}), "");
    EXPECT_EQ(run({"--check", "--spelling"}),
              "english.lan:2: warning: A: unknown word \"Recieve\" [spelling]\n");

    // A folder without dictionaries: one note, and no finding.
    HunspellChecker none([n = 0](const std::string &) mutable { ASSERT_EQ(++n, 1); }, dir.path());
    EXPECT_FALSE(none.hasLanguage("ENGLISH"));
    EXPECT_FALSE(none.hasLanguage("ENGLISH"));
    EXPECT_TRUE(none.known("ENGLISH", "qqqzz"));
}
