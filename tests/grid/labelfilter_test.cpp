#include "labelfilter.h"
#include "languagestats.h"
#include "textfold.h"
#include "workspace.h"

#include <gtest/gtest.h>
#include <random>

using namespace verbolt;
using namespace verbolt::test;

namespace {

using Rows = std::vector<std::uint32_t>;

// Columns ID, FRENCH, ENGLISH, GERMAN. English: row 1 without its accelerator, row 2 empty,
// row 3 as in French, no line for row 4. German: every row translated but row 3's.
void writeSet(const TempDir &dir)
{
    dir.write("french.lan", "[Label]\nOPEN=&Ouvrir le fichier\nFILE=&Fichier\nQUIT=Quitter\n"
                            "TEXT=\xC9"
                            "cran texte\nOK=OK\n");
    dir.write("english.lan", "[Label]\nOPEN=&Open the file\nFILE=File\nQUIT=\nTEXT=\xC9"
                             "cran "
                             "texte\n");
    dir.write("german.lan", "[Label]\nOPEN=Datei &\xF6"
                            "ffnen\nFILE=&Datei\nQUIT=Beenden\n"
                            "TEXT=\xC9"
                            "cran texte\nOK=Gut\n");
}
constexpr int kEnglish = 2;
constexpr int kGerman = 3;

Rows shown(LabelFilter &f, const std::string &text, ShowLines show = ShowLines::All,
           int column = -1)
{
    f.setQuery({text, show, column});
    f.computeAll();
    return f.rows();
}

} // namespace

TEST(TextFold, CaseAccentsAndAcceleratorsInBothCodePages)
{
    const TextFold cp1252(CodePage::Windows1252);
    const TextFold utf8(CodePage::Utf8);
    for (const TextFold *f : {&cp1252, &utf8}) {
        EXPECT_EQ(f->folded("&Fichier"), "fichier");
        EXPECT_EQ(f->folded("FICHIER & co"), "fichier  co");
    }
    EXPECT_EQ(cp1252.folded("\xC9"
                            "cran \xC0 \xE7"
                            "a \x8A\x9F \xDF \xC6"),
              "ecran a ca sy \xC3\x9F \xC3\xA6");
    EXPECT_EQ(utf8.folded("\xC3\x89"
                          "cran \xC5\x81\xC3\xB3"
                          "d\xC5\xBA \xC5\x92 \xD0\x96"),
              "ecran lodz \xC5\x93 \xD0\x96");
    EXPECT_EQ(TextFold::foldUtf8("\xC3\x89"
                                 "CRAN"),
              cp1252.folded("\xC9"
                            "cran"));
    EXPECT_EQ(utf8.folded("\xC3"), "\xC3") << "a broken sequence is kept as it is";
    EXPECT_EQ(cp1252.folded("ABCDEFGH@[_Z&xyz"), "abcdefgh@[_zxyz");

    // The quick test before folding misses no byte that folds to its letter.
    EXPECT_TRUE(cp1252.mayHold("abcdefghijklmnoQ", 'q'));
    EXPECT_FALSE(cp1252.mayHold("abcdefghijklmnop\xE9", 'q'));
    EXPECT_TRUE(cp1252.mayHold("abcdefgh\x9E", 'z'));
    EXPECT_TRUE(utf8.mayHold("\xC5\xBE", 'z'));
    EXPECT_FALSE(utf8.mayHold("abcdefgh 123", '4'));
}

TEST(LabelFilter, EveryWordInSomeColumnAndEachShowMode)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    w.marks().computeAll();
    LabelFilter f(w.grid(), w.marks(), w.load().codePage);
    EXPECT_TRUE(f.showsAll());
    EXPECT_EQ(f.shownCount(), 5u);

    EXPECT_EQ(shown(f, "fichier"), (Rows{0, 1}));
    EXPECT_EQ(shown(f, "  FICHIER   datei "), (Rows{0, 1})) << "words in different columns";
    EXPECT_EQ(shown(f, "fichier quit"), Rows{});
    EXPECT_EQ(shown(f, "quit"), Rows{2}) << "the ID is a column too";
    EXPECT_EQ(shown(f, "\xC3\x89"
                       "CRAN"),
              Rows{3});
    EXPECT_EQ(shown(f, "ecran"), Rows{3});
    EXPECT_EQ(shown(f, "tdatei"), Rows{}) << "no match across two cells";
    EXPECT_EQ(f.shownIndex(3), -1);

    EXPECT_EQ(shown(f, "", ShowLines::NeedingWork), (Rows{1, 2, 4}));
    EXPECT_EQ(shown(f, "", ShowLines::NeedingWorkIn, kEnglish), (Rows{1, 2, 4}));
    EXPECT_EQ(shown(f, "", ShowLines::NeedingWorkIn, kGerman), Rows{});
    EXPECT_EQ(shown(f, "", ShowLines::UntranslatedIn, kEnglish), (Rows{2, 3, 4}));
    EXPECT_EQ(shown(f, "ok", ShowLines::UntranslatedIn, kEnglish), Rows{4});
    EXPECT_EQ(shown(f, "", ShowLines::UntranslatedIn, kGerman), Rows{3});
    EXPECT_EQ(f.gridRow(0), 3);
    EXPECT_EQ(f.shownIndex(3), 0);

    shown(f, "");
    EXPECT_TRUE(f.showsAll());
    EXPECT_EQ(f.gridRow(4), 4);
}

TEST(LabelFilter, NarrowingNewestQueryAndEditedRows)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    w.marks().computeAll();
    LabelFilter f(w.grid(), w.marks(), w.load().codePage);
    LabelFilter fresh(w.grid(), w.marks(), w.load().codePage);

    // Narrowing walks only the rows shown, with the same result as a fresh query.
    EXPECT_EQ(shown(f, "e"), (Rows{0, 1, 2, 3}));
    f.setQuery({"e fi", ShowLines::All, -1});
    EXPECT_FALSE(f.computeSome(1));
    EXPECT_EQ(f.rows(), (Rows{0, 1, 2, 3})) << "the result before stays until this one is done";
    EXPECT_FALSE(f.computeSome(2));
    EXPECT_TRUE(f.computeSome(1)) << "four shown rows, four tests";
    EXPECT_EQ(f.rows(), shown(fresh, "e fi"));
    EXPECT_EQ(shown(f, "e fic"), shown(fresh, "e fic"));

    // The newest query wins over one half done.
    f.setQuery({"quitter", ShowLines::All, -1});
    f.computeSome(1);
    EXPECT_EQ(shown(f, "ok"), Rows{4});

    // An edited row stays shown though it matches no more; the next query tests it afresh,
    // also one that narrows.
    EXPECT_EQ(shown(f, "datei"), (Rows{0, 1}));
    EXPECT_EQ(w.apply(1, {{"GERMAN", "Ablage"}}), Strings{});
    f.rowChanged(1);
    EXPECT_EQ(w.apply(2, {{"GERMAN", "Datei schliessen"}}), Strings{});
    f.rowChanged(2);
    EXPECT_EQ(f.rows(), (Rows{0, 1}));
    EXPECT_EQ(shown(f, "datei o"), shown(fresh, "datei o"));
    EXPECT_EQ(f.rows(), (Rows{0}));
    EXPECT_EQ(shown(f, "datei"), (Rows{0, 2}));
}

TEST(LanguageStats, CountsAndWordsLeftPerLanguage)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    w.marks().computeAll();
    const std::vector<LanguageProgress> p = LanguageStats::compute(w.grid(), w.marks());
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(LanguageStats::describe(p[0]),
              "ENGLISH: 40.0% translated, 1 missing, 1 empty, 1 untranslated, 3 needing work, "
              "4 words to translate");
    EXPECT_EQ(LanguageStats::describe(p[1]),
              "GERMAN: 80.0% translated, 0 missing, 0 empty, 1 untranslated, 0 needing work, "
              "2 words to translate");
    EXPECT_EQ(LanguageStats::countWords(" & Fichier  &Ouvrir\tle& "), 3u);
}

// A fresh query searches the columns' bytes whole and folds only around a key letter; it
// must find what folding every cell and searching it finds. Random texts of letters with
// and without accented forms, accelerators, accents and other scripts, in both code pages.
TEST(LabelFilter, SearchOfWholeColumnsFindsWhatFoldingEveryCellFinds)
{
    const std::vector<std::string> cp1252 = {"q",    "Q",    "x",    "b",    "F",
                                             "e",    "E",    "&",    " ",    "\xE9",
                                             "\xC9", "\x9E", "\xE6", "\xDF", "\x80"};
    const std::vector<std::string> utf8 = {"q",        "Q",        "x",        "b",
                                           "F",        "e",        "&",        " ",
                                           "\xC3\xA9", "\xC3\x89", "\xC5\x82", "\xE2\x82\xAC",
                                           "\xD0\x96", "\xC3\x9F"};
    const std::vector<std::string> typed = {"q",        "x",        "b",        "f", "e",
                                            "\xC3\xA9", "\xC3\x9F", "\xD0\x96", "l"};
    std::mt19937 random(7);
    const auto pick = [&](const std::vector<std::string> &from, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += from[random() % from.size()];
        return s;
    };
    for (const auto *alphabet : {&cp1252, &utf8}) {
        Workspace w;
        std::string french = "[Label]\n", english = "[Label]\n";
        for (int r = 0; r < 60; ++r) {
            french += "ID" + std::to_string(r) + pick(*alphabet, 1 + random() % 2) + "=" +
                      pick(*alphabet, random() % 12) + "\n";
            english += "ID" + std::to_string(r) + "=" + pick(*alphabet, random() % 12) + "\n";
        }
        w.dir.write("french.lan", french);
        w.dir.write("english.lan", english);
        w.start();
        ASSERT_EQ(w.load().codePage, alphabet == &utf8 ? CodePage::Utf8 : CodePage::Windows1252);
        const TextFold fold(w.load().codePage);
        LabelFilter f(w.grid(), w.marks(), w.load().codePage);
        for (int q = 0; q < 300; ++q) {
            const std::string query = pick(typed, 1 + random() % 3) +
                                      (random() % 3 ? "" : " " + pick(typed, 1 + random() % 2));
            Rows expected;
            for (int r = 0; r < w.grid().rowCount(); ++r) {
                std::string cells;
                for (int c = 0; c < w.grid().columnCount(); ++c)
                    cells += fold.folded(w.grid().itemText(r, c)) + '\n';
                bool all = true;
                for (const std::string &word :
                     {query.substr(0, query.find(' ')), query.find(' ') == std::string::npos
                                                            ? std::string()
                                                            : query.substr(query.find(' ') + 1)})
                    all = all && cells.find(TextFold::foldUtf8(word)) != std::string::npos;
                if (all)
                    expected.push_back(static_cast<std::uint32_t>(r));
            }
            f.setQuery({"", ShowLines::All, -1}); // each query fresh
            f.computeAll();
            ASSERT_EQ(shown(f, query), expected) << query;
        }
    }
}
