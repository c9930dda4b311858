#include "seed.h"
#include "textcodec.h"

#include <gtest/gtest.h>

#include <random>

using verbolt::CodePage;
using verbolt::TextCodec;

TEST(CodePageChoice, DecidedByAllLabelFilesTogether)
{
    // All ASCII stays Windows-1252; one valid UTF-8 accent makes the run UTF-8; one byte
    // that is not UTF-8 anywhere keeps Windows-1252.
    EXPECT_EQ(TextCodec::choose({"A=b\r\n", "B=c"}), CodePage::Windows1252);
    EXPECT_EQ(TextCodec::choose({"A=b", "B=caf\xC3\xA9"}), CodePage::Utf8);
    EXPECT_EQ(TextCodec::choose({"A=caf\xC3\xA9", "B=caf\xE9"}), CodePage::Windows1252);
    EXPECT_EQ(TextCodec::choose({}), CodePage::Windows1252);
    // Overlong forms, surrogates and truncated sequences are not UTF-8.
    EXPECT_FALSE(TextCodec::isValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(TextCodec::isValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(TextCodec::isValidUtf8("ab\xE2\x82"));
    EXPECT_TRUE(TextCodec::isValidUtf8("\xF0\x9F\x98\x80 \xE2\x82\xAC"));
}

TEST(Windows1252, EveryByteRoundTrips)
{
    const TextCodec codec(CodePage::Windows1252);
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = codec.toUtf8(all);
    EXPECT_TRUE(TextCodec::isValidUtf8(utf8));
    const auto back = codec.fromUtf8(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
    EXPECT_EQ(codec.toUtf8("\x80\x8A\x9F\xE9"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8\xC3\xA9");
    // The unassigned bytes stand for the C1 controls of the same value.
    EXPECT_EQ(codec.toUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(Windows1252, CharactersOutsideTheCodePageAreRefused)
{
    const TextCodec codec(CodePage::Windows1252);
    EXPECT_FALSE(codec.fromUtf8("\xE2\x84\x96").has_value()); // numero sign
    EXPECT_FALSE(codec.fromUtf8("\xF0\x9F\x98\x80").has_value());
    EXPECT_EQ(codec.fromUtf8("\xC5\x93uvre"), std::optional<std::string>("\x9Cuvre"));
}

TEST(Upper, Windows1252Table)
{
    const TextCodec codec(CodePage::Windows1252);
    EXPECT_EQ(codec.upper("abz\xE0\xE9\xFE\xF7\x9A\x9C\x9E\xFF\xDF\xB5"),
              "ABZ\xC0\xC9\xDE\xF7\x8A\x8C\x8E\x9F\xDF\xB5");
    EXPECT_EQ(codec.upper("A.b-1"), "A.B-1");
}

TEST(Upper, Utf8SimpleCaseAtCharacterBoundaries)
{
    const TextCodec codec(CodePage::Utf8);
    EXPECT_EQ(codec.upper("\xC3\xA9t\xC3\xA9 \xC3\x9F \xCF\x89"),
              "\xC3\x89T\xC3\x89 \xC3\x9F \xCE\xA9");
    std::string scratch;
    EXPECT_TRUE(codec.containsUpper("caf\xC3\xA9 noir", "\xC3\x89 N", scratch));
    // The continuation byte of one character must not match a needle of another.
    EXPECT_FALSE(codec.containsUpper("\xC3\x89", "\x89", scratch));
    const TextCodec latin(CodePage::Windows1252);
    EXPECT_TRUE(latin.containsUpper("xabcx", "ABC", scratch));
    EXPECT_TRUE(latin.containsUpper("d\xE9j\xE0", "\xC9J\xC0", scratch));
    EXPECT_FALSE(latin.containsUpper("ab", "ABC", scratch));
}

TEST(UpperCase, SearchGivesWhatUpperCasingTheTextAndSearchingGives)
{
    // Texts longer than the sixteen bytes the search takes at a time, with letters whose
    // capitals lie elsewhere in Windows-1252 (0x9A/0x8A, 0xFF/0x9F) and some that have none.
    const std::string alphabet = "aAbB z,\xE9\xC9\x9A\x8A\xFF\x9F\xDF\xF7\xD7";
    const unsigned seed = verbolt::test::testSeed(7);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VERBOLT_TEST_SEED sets another)");
    std::mt19937 rng(seed);
    std::string scratch;
    for (const TextCodec codec : {TextCodec(CodePage::Windows1252), TextCodec(CodePage::Utf8)}) {
        for (int round = 0; round < 4000; ++round) {
            const bool ascii = codec.page() == CodePage::Utf8;
            std::string text, needle;
            for (std::size_t i = rng() % 60; i > 0; --i)
                text += alphabet[rng() % (ascii ? 7 : alphabet.size())];
            for (std::size_t i = 1 + rng() % 3; i > 0; --i)
                needle += alphabet[rng() % alphabet.size()];
            needle = codec.upper(needle);
            EXPECT_EQ(codec.containsUpper(text, needle, scratch),
                      codec.upper(text).find(needle) != std::string::npos)
                << testing::PrintToString(text) << " " << testing::PrintToString(needle);
        }
    }
}

TEST(Prefix, CutsBackToACharacterBoundaryInUtf8)
{
    const TextCodec utf8(CodePage::Utf8);
    EXPECT_EQ(utf8.prefix("ab\xC3\xA9", 3), "ab");
    EXPECT_EQ(utf8.prefix("ab\xC3\xA9", 4), "ab\xC3\xA9");
    EXPECT_EQ(TextCodec(CodePage::Windows1252).prefix("ab\xE9", 2), "ab");
}
