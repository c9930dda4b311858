#include "textchecks.h"

#include <gtest/gtest.h>

using verbolt::Check;
using verbolt::TextChecks;

namespace {

// The checks that fire on a translation, by name.
std::vector<std::string> fired(std::string_view french, std::string_view translation,
                               std::string_view column = "ENGLISH",
                               verbolt::CodePage page = verbolt::CodePage::Utf8)
{
    TextChecks checks(page);
    std::vector<TextChecks::Finding> found;
    checks.compare(french, translation, column, verbolt::kAllChecks, found);
    std::vector<std::string> names;
    for (const auto &f : found)
        names.emplace_back(TextChecks::name(f.check));
    return names;
}

using Names = std::vector<std::string>;

} // namespace

TEST(TextChecks, PunctuationKnowsFrenchSpacingSpanishMarksAndEllipses)
{
    EXPECT_EQ(fired("Nom :", "Name:"), Names{});
    EXPECT_EQ(fired("Enregistrer ?", "Save?"), Names{});
    EXPECT_EQ(fired("Enregistrer\u00A0?", "Speichern?", "GERMAN"), Names{});
    EXPECT_EQ(fired("Enregistrer ?", "\u00BFGuardar?", "SPANISH"), Names{});
    EXPECT_EQ(fired("Attention !", "\u00A1Atenci\u00F3n!", "SPANISH"), Names{});
    EXPECT_EQ(fired("Ouvrir...", "Open\u2026"), Names{});
    EXPECT_EQ(fired("Ouvrir \u00AB %s \u00BB.", "Open \"%s\"."), Names{});
    EXPECT_EQ(fired("Taille : %d", "Size: %d"), Names{}) << "placeholders set aside";

    EXPECT_EQ(fired("Nom :", "Name"), Names{"punctuation"});
    EXPECT_EQ(fired("Enregistrer ?", "Save ?"), Names{"punctuation"});
    EXPECT_EQ(fired("Enregistrer ?", "Guardar?", "SPANISH"), Names{"punctuation"});
    EXPECT_EQ(fired("Ouvrir...", "Open."), Names{"punctuation"});
}

TEST(TextChecks, PlaceholdersAcceleratorsEscapesAndMarkup)
{
    EXPECT_EQ(fired("%1 sur %2", "%2 of %1"), Names{});
    EXPECT_EQ(fired("%1 sur %2", "%1 of"), Names{"placeholders"});
    EXPECT_EQ(fired("&Fichier", "File"), Names{"accelerators"});
    EXPECT_EQ(fired("Ligne 1\\nLigne 2", "Line 1\\nLine 2"), Names{});
    EXPECT_EQ(fired("Ligne 1\\nLigne 2", "Line 1 Line 2"), Names{"escapes"});
    EXPECT_EQ(fired("<b>Gras</b><br>", "<B>Bold</B><br/>"), Names{});
    EXPECT_EQ(TextChecks::markup("<b>Gras</b>", "<b>Bold"), "tag </b> missing");
}

TEST(TextChecks, NumbersMatchWhateverTheyAreGroupedWith)
{
    EXPECT_EQ(fired("1 000 fichiers", "1,000 files"), Names{});
    EXPECT_EQ(fired("1\u202F000 fichiers", "1.000 Dateien", "GERMAN"), Names{});
    EXPECT_EQ(fired("%1 fichiers sur %2", "%2: %1 files"), Names{})
        << "placeholder digits are not numbers";
    EXPECT_EQ(TextChecks::numbers("3 essais", "4 tries"),
              "number 3 missing, number 4 not in French");
    EXPECT_EQ(TextChecks::numbers("Pages 1, 2", "Pages 1, 2"), "");
}

TEST(TextChecks, SpacesUrlsRepeatedAndEmpty)
{
    EXPECT_EQ(fired("Un mot", "One  word"), Names{"spaces"});
    EXPECT_EQ(fired("Voir https://example.com/a?b=1.", "See https://example.com/a?b=1."), Names{});
    EXPECT_EQ(
        TextChecks::urls("\u00C9crire \u00E0 aide@example.com.", "Write to help@example.com."),
        "\"aide@example.com\" missing");
    EXPECT_EQ(fired("Le fichier", "The the file"), Names{"repeated"});
    EXPECT_EQ(fired("Vous vous connectez", "You sign in", "ENGLISH"), Names{});
    EXPECT_EQ(fired("Le fichier", "the file that that you have"), Names{});
    EXPECT_EQ(fired("Le fichier", "  "), Names{"empty"});
    EXPECT_EQ(fired("", ""), Names{});
}

TEST(TextChecks, WordsLeaveOutWhatIsNotProse)
{
    const std::string_view text = "\\nFichier &Ouvrir %s <b>l\u2019image</b> www.example.com 12";
    std::vector<std::string> got;
    for (const auto &[b, e] : TextChecks::words(text))
        got.push_back(TextChecks::plainWord(text.substr(b, e - b)));
    EXPECT_EQ(got, (Names{"Fichier", "Ouvrir", "l\u2019image"}));
}

TEST(TextChecks, Windows1252TextsAreReadAsTheirCharacters)
{
    // "Enregistrer ?" / "¿Guardar?" in Windows-1252 bytes.
    EXPECT_EQ(fired("Enregistrer\xA0?", "\xBFGuardar?", "SPANISH", verbolt::CodePage::Windows1252),
              Names{});
    EXPECT_EQ(fired("Ouvrir\x85", "Open...", "ENGLISH", verbolt::CodePage::Windows1252), Names{});
    // The French ending is read in its code page: a closing guillemet is set aside, "…" seen.
    EXPECT_EQ(fired("Dire \xABoui.\xBB", "Say \"yes.\"", "ENGLISH", verbolt::CodePage::Windows1252),
              Names{});
    EXPECT_EQ(fired("Suite\x85", "More", "ENGLISH", verbolt::CodePage::Windows1252),
              Names{"punctuation"});
}

// The quick test before the repeated-word check never passes over a repeat the words show,
// and what it finds is what the words show: random texts of letters, accelerators, joiners,
// digits, accented and other characters, pairs a language allows.
TEST(TextChecks, TheQuickRepeatTestMissesNoRepeatedWord)
{
    static const std::vector<std::string> pieces{
        "a",        "b",        "A",        " ",        " ",
        "&",        "'",        "-",        "1",        ".",
        "\xC3\xA9", "\xC3\x89", "\xC5\x82", "\xC3\x97", "\xE2\x80\x99",
        "\x01",     "ab",       "Ab",       "&a",       "\xC2\xA0",
        "\xC2\xAB", "\xC2\xBA", "\xD0\x96", "\xC5",     "had",
        "Die"};
    std::uint32_t seed = 12345;
    const auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    int repeats = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        for (std::uint32_t k = 0, n = 1 + next() % 10; k < n; ++k)
            text += pieces[next() % pieces.size()];
        const bool found = !TextChecks::repeated(text, "ITALIAN").empty();
        repeats += found;
        if (found) {
            ASSERT_TRUE(TextChecks::mayRepeat(text)) << text;
        }
        // The comparison answers from the bytes where it can: as the full reading does.
        const std::string_view column = round % 3 ? "ENGLISH" : "GERMAN";
        TextChecks checks(verbolt::CodePage::Utf8);
        std::vector<TextChecks::Finding> out;
        checks.compare("x", text, column, verbolt::checkBit(Check::Repeated), out);
        ASSERT_EQ(out.empty() ? "" : out.front().message, TextChecks::repeated(text, column))
            << text;
    }
    EXPECT_GT(repeats, 300) << "the texts hold repeats to miss";
    // Long texts of plain words.
    static const std::vector<std::string> words{"had ", "Had ", "file ", "7 ", "x. ", "  ", "ab"};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (std::uint32_t k = 0, n = 10 + next() % 40; k < n; ++k)
            text += words[next() % words.size()];
        text.resize(std::min<std::size_t>(text.size(), 100 + next() % 40));
        TextChecks checks(verbolt::CodePage::Utf8);
        std::vector<TextChecks::Finding> out;
        checks.compare("x", text, "ENGLISH", verbolt::checkBit(Check::Repeated), out);
        ASSERT_EQ(out.empty() ? "" : out.front().message, TextChecks::repeated(text, "ENGLISH"))
            << text;
    }
    for (const std::string_view end : {" a a", " the the", "the x"}) {
        const std::string text = std::string(128 - end.size(), '.').append(end);
        TextChecks checks(verbolt::CodePage::Utf8);
        std::vector<TextChecks::Finding> out;
        checks.compare("x", text, "ENGLISH", verbolt::checkBit(Check::Repeated), out);
        EXPECT_EQ(out.empty() ? "" : out.front().message, TextChecks::repeated(text, "ENGLISH"));
    }
    // Every byte at every place of a word longer than sixteen bytes, which is read sixteen
    // bytes at a time, alone and after an accented letter.
    for (int c = 1; c < 256; ++c)
        for (std::size_t at = 0; at < 40; ++at) {
            std::string word(20, 'k');
            word.replace(at % 20, 1,
                         (at < 20 ? "" : "\xC3\xA9") + std::string(1, static_cast<char>(c)));
            const std::string text = word + " " + word;
            TextChecks checks(verbolt::CodePage::Utf8);
            std::vector<TextChecks::Finding> out;
            checks.compare("x", text, "ENGLISH", verbolt::checkBit(Check::Repeated), out);
            ASSERT_EQ(out.empty() ? "" : out.front().message, TextChecks::repeated(text, "ENGLISH"))
                << c << " at " << at;
        }
    EXPECT_FALSE(TextChecks::mayRepeat("Open the file now"));
    EXPECT_TRUE(TextChecks::mayRepeat("Open the &The file"));
    EXPECT_FALSE(TextChecks::mayRepeat("Zapisz \xC5\x82\xC4\x85ki \xC2\xAB pliku \xC2\xBB"));
}

// Windows-1252 texts compared as they are read give the findings of the same texts in UTF-8:
// random texts of words, accented letters, signs of one, two and three UTF-8 bytes, blanks,
// endings and the signs that wake the other checks.
TEST(TextChecks, Windows1252TextsFindWhatTheirUtf8FormsFind)
{
    static const std::vector<std::string> pieces{
        "a",    "ab",   "Ab",      "had",       " ",         " ",    "  ",    "&",    "&a",
        "'",    "-",    "1",       ".",         "...",       ":",    " ?",    "!",    "\xA0",
        "\xE9", "\xC9", "\xD7",    "\xE9t\xE9", "\xC9t\xE9", "\x92", "\x85",  "\x8A", "\x9C",
        "\x81", "\xBF", "\xA1",    "\xAB",      "\xBB",      "\x93", "\xAA",  "\xB5", "%1",
        "\\n",  "<b>",  "www.a.b", "\x01",      "\x80",      "\x99", "a\x92", "\x96"};
    const verbolt::TextCodec codec(verbolt::CodePage::Windows1252);
    std::uint32_t seed = 4242;
    const auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    const auto text = [&] {
        std::string t;
        for (std::uint32_t k = 0, n = next() % 12; k < n; ++k)
            t += pieces[next() % pieces.size()];
        return t;
    };
    TextChecks bytes(verbolt::CodePage::Windows1252), utf8(verbolt::CodePage::Utf8);
    for (int round = 0; round < 100000; ++round) {
        const std::string french = text(), translation = text();
        const std::string_view column = round % 3 == 0   ? "SPANISH"
                                        : round % 3 == 1 ? "ENGLISH"
                                                         : "FRENCH";
        std::vector<TextChecks::Finding> read, converted;
        bytes.compare(french, translation, column, verbolt::kAllChecks, read);
        utf8.compare(codec.toUtf8(french), codec.toUtf8(translation), column, verbolt::kAllChecks,
                     converted);
        ASSERT_EQ(read.size(), converted.size()) << french << " / " << translation;
        for (std::size_t k = 0; k < read.size(); ++k) {
            ASSERT_EQ(read[k].check, converted[k].check) << french << " / " << translation;
            ASSERT_EQ(read[k].message, converted[k].message) << french << " / " << translation;
        }
    }
}

// The signs of a text and its doubled spaces read with vector instructions are those read a
// byte at a time: random texts of every length up to 80 bytes, of every sign, blanks and bytes
// beyond ASCII, and bytes next to the signs' in the tables (">", "[", "|", "0x30 + 10").
TEST(TextChecks, VectorReadingOfSignsIsTheBytewiseReading)
{
    static const std::string pieces[] = {
        "a", "w", "W",  " ",    "  ",       "%",    "{",    ":",    ";",  "!",
        "?", "@", "\\", "<",    "&",        "/",    ".",    "0",    "9",  ">",
        "[", "|", "^",  "\x80", "\xC3\xA9", "\xFF", "\x7F", "\x01", "w.", std::string(1, '\0')};
    std::uint32_t seed = 99;
    const auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int round = 0; round < 50000; ++round) {
        std::string text;
        const std::size_t length = next() % 81;
        while (text.size() < length)
            text += pieces[next() % std::size(pieces)];
        text.resize(length);
        const TextChecks::FrenchSide vector = TextChecks::frenchSide(text, true),
                                     bytewise = TextChecks::frenchSide(text, false);
        ASSERT_EQ(vector.traits, bytewise.traits) << text;
        ASSERT_EQ(vector.doubledSpace, bytewise.doubledSpace) << text;
    }
}

// Which checks can find anything is told from the signs a text holds: a sign anywhere in
// texts of every length wakes its check, whether the French side is read with the
// translation or once beforehand.
TEST(TextChecks, ASignAnywhereInALongTextWakesItsCheck)
{
    const std::string prose = "Open the file in this folder and save it there again";
    const std::pair<std::string, std::string> signs[] = {
        {"%1", "placeholders"},    {"7", "numbers"},  {"&x", "accelerators"},
        {"\\n", "escapes"},        {"<b>", "markup"}, {"http://a.example", "urls"},
        {"www.a.example", "urls"},
    };
    for (std::size_t length = 1; length <= 40; ++length)
        for (std::size_t at = 0; at <= length; ++at)
            for (const auto &[sign, check] : signs) {
                // The sign in the French text only, so that its check finds it missing.
                std::string french = prose.substr(0, length);
                french.insert(at, " " + sign + " ");
                const std::string translation = prose.substr(0, length) + "  x";
                const Names names = fired(french, translation);
                EXPECT_NE(std::find(names.begin(), names.end(), check), names.end())
                    << check << " in " << french;
                // What the French text holds, read once beforehand, finds the same.
                TextChecks checks(verbolt::CodePage::Utf8);
                std::vector<TextChecks::Finding> found;
                const TextChecks::FrenchSide side = TextChecks::frenchSide(french);
                checks.compare(french, translation, "ENGLISH", verbolt::kAllChecks, found, &side);
                Names again;
                for (const auto &f : found)
                    again.emplace_back(TextChecks::name(f.check));
                EXPECT_EQ(again, names) << french;
            }
}
