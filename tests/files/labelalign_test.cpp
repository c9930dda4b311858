#include "blanks.h"
#include "entrycursor.h"
#include "frenchorder.h"
#include "labelalign.h"
#include "labelreader.h"
#include "profileedit.h"
#include "seed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using verbolt::FileChanges;
using verbolt::FrenchOrder;
using verbolt::KeyValue;
using verbolt::LabelAlign;
using verbolt::ProfileEdit;

namespace {

const FrenchOrder kFrench("; fr\r\n[Label]\r\nA=un\r\nB=deux\r\nC=trois\r\nD=quatre\r\nE=cinq\r\n"
                          "b=again\r\n[Other]\r\nZ=z\r\n");

// Undo of a recorded write gives the old bytes, redo the new ones again.
void expectReversible(const std::string &old, const std::string &now, const FileChanges &changes)
{
    std::string undone;
    for (const bool applied : ProfileEdit::revertInto(now, true, changes, true, undone, &kFrench))
        EXPECT_TRUE(applied);
    EXPECT_EQ(undone, old);
    std::string redone;
    ProfileEdit::revertInto(undone, true, changes, false, redone, &kFrench);
    EXPECT_EQ(redone, now);
}

TEST(FrenchOrder, FirstLineOfAKeyInLabelScope)
{
    ASSERT_EQ(kFrench.size(), 5u);
    EXPECT_EQ(kFrench.position(" c "), 2);
    EXPECT_EQ(kFrench.position("Z"), -1);
    EXPECT_EQ(kFrench.text(1), "deux");
}

TEST(FrenchPlace, NewKeysLandInStepAndComeBackOut)
{
    struct Case
    {
        const char *name;
        std::string before;
        std::vector<KeyValue> writes;
        std::string after;
    };
    const Case cases[] = {
        {"after the nearest above",
         "[Label]\nA=1\nE=5\n; end\n",
         {{"C", "3"}},
         "[Label]\nA=1\nC=3\nE=5\n; end\n"},
        {"before the nearest below",
         "[Label]\n; c\nD=4\nE=5\n",
         {{"b", "2"}},
         "[Label]\n; c\nb=2\nD=4\nE=5\n"},
        {"a block in French order",
         "[Label]\nA=1\nE=5\n",
         {{"D", "4"}, {"B", "2"}, {"C", "3"}},
         "[Label]\nA=1\nB=2\nC=3\nD=4\nE=5\n"},
        {"unknown keys at the section's end",
         "[Label]\nA=1\nX=9\n[O]\n",
         {{"Y", ""}, {"B", ""}},
         "[Label]\nA=1\nB=\nX=9\nY=\n[O]\n"},
        {"after a last line without line end",
         "[Label]\r\nA=1",
         {{"B", "2"}},
         "[Label]\r\nA=1\r\nB=2\r\n"},
        {"nothing held: as without an order",
         "[Label]\nX=1\n",
         {{"C", ""}, {"A", ""}, {"Y", ""}},
         "[Label]\nX=1\nA=\nC=\nY=\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FileChanges changes;
        std::string now;
        ASSERT_TRUE(
            ProfileEdit::applyInto(c.before, true, c.writes, now, nullptr, &changes, &kFrench));
        EXPECT_EQ(now, c.after);
        expectReversible(c.before, now, changes);
    }
}

std::string randomFile(std::mt19937 &rng, bool entriesOnly)
{
    static const std::vector<std::string> lines = {
        "A=1",     "b=2", " C = 3", "D=",      "E=5",     "X=x",
        "a=twice", "; c", "",       "[Other]", "[Label]", "Z=z"};
    std::string out = rng() % 3 ? "[Label]\r\n" : "";
    for (std::size_t i = rng() % 10; i > 0; --i) {
        const std::string &line = lines[rng() % (entriesOnly ? 8 : lines.size())];
        out += line + (rng() % 2 ? "\n" : "\r\n");
    }
    if (rng() % 4 == 0 && !out.empty())
        out.pop_back();
    return out;
}

// A line known by its first bytes is the entry the full reading gives, and a line the
// reader does not see as an entry of that key (a comment, a header, another spelling) is
// never taken for one.
TEST(EntryCursorProperty, ALineKnownByItsKeyIsTheEntryRead)
{
    const unsigned seed = verbolt::test::testSeed(20261211);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::vector<std::string> guesses = {"A", "b", "C", "D", "Z", "; c", "[Label]", "a"};
    const std::vector<std::string> traps = {"; c=d\n", "[Label]=x\n", std::string("\0A=1\n", 5)};
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        const std::string file = randomFile(rng, false) + traps[rng() % traps.size()] + "A=1";
        SCOPED_TRACE(testing::PrintToString(file));
        verbolt::EntryCursor cursor(file);
        for (verbolt::Entry known, read;;) {
            verbolt::EntryCursor full = cursor;
            const bool more = full.next(read);
            const std::string &guess = guesses[rng() % guesses.size()];
            if (!cursor.nextIs(guess, known)) {
                if (!more)
                    break;
                cursor = full;
                continue;
            }
            ASSERT_TRUE(more);
            EXPECT_EQ(read.key, guess);
            EXPECT_EQ(std::string(read.key), std::string(known.key));
            EXPECT_EQ(
                std::tie(read.line, read.begin, read.eq, read.end, read.next, read.inLabel),
                std::tie(known.line, known.begin, known.eq, known.end, known.next, known.inLabel));
            EXPECT_EQ(cursor.offset(), full.offset());
        }
    }
}

TEST(FrenchPlaceProperty, ABatchIsOneWriteAfterTheOther)
{
    const unsigned seed = verbolt::test::testSeed(20261209);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::vector<std::string> keys = {"A", "B", "c", "D", "E", "X", "Y"};
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        const std::string old = randomFile(rng, false);
        std::vector<KeyValue> writes(1 + rng() % 4);
        std::string oneByOne = old;
        for (KeyValue &kv : writes) {
            kv = {keys[rng() % keys.size()], "v"};
            oneByOne = ProfileEdit::apply(oneByOne, true, {kv}, &kFrench).value();
        }
        SCOPED_TRACE(testing::PrintToString(old));
        FileChanges changes;
        std::string now;
        ASSERT_TRUE(ProfileEdit::applyInto(old, true, writes, now, nullptr, &changes, &kFrench));
        EXPECT_EQ(now, oneByOne);
        expectReversible(old, now, changes);
    }
}

// A batch of many keys finds its lines by their French places: the same bytes as one write
// after the other, whether the file is in step, shuffled, spells keys otherwise, or holds
// keys French lacks, and whatever places the caller says the keys have.
TEST(FrenchPlaceProperty, ABatchOfManyKeysIsOneWriteAfterTheOther)
{
    const unsigned seed = verbolt::test::testSeed(20261210);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::string french = "[Label]\n";
    std::vector<std::string> keys;
    for (int k = 0; k < 120; ++k) {
        keys.push_back("K" + std::to_string(k));
        french += keys.back() + "=t\n";
    }
    keys.push_back("EXTRA");
    const FrenchOrder order(french);
    for (int round = 0; round < 40 && !HasFailure(); ++round) {
        std::vector<std::string> lines;
        for (const std::string &key : keys)
            if (rng() % 3) {
                const int spelling = static_cast<int>(rng() % 8);
                const std::string written = spelling == 0   ? "k" + key.substr(1)
                                            : spelling == 1 ? " " + key + " "
                                                            : key;
                lines.push_back(written + "=old\n");
            }
        if (round % 2)
            std::shuffle(lines.begin(), lines.end(), rng);
        std::string old = "[Label]\n";
        for (const std::string &line : lines)
            old += line;
        std::vector<KeyValue> writes(70 + rng() % 50);
        std::string oneByOne = old;
        for (KeyValue &kv : writes) {
            const std::size_t k = rng() % keys.size();
            const int hint = static_cast<int>(rng() % 4 ? k : rng() % 200);
            kv = {keys[k], "v" + std::to_string(rng() % 3), rng() % 4 ? hint : -1};
            oneByOne = ProfileEdit::apply(oneByOne, true, {kv}, &order).value();
        }
        std::string now;
        ASSERT_TRUE(ProfileEdit::applyInto(old, true, writes, now, nullptr, nullptr, &order));
        EXPECT_EQ(now, oneByOne) << "round " << round;
    }
}

TEST(RemoveKeys, FirstLineInLabelScopeGoesAndUndoPutsItBack)
{
    const std::string old = "X=0\n[Label]\n; about A\nA=1\r\n[O]\nB=o\n[label]\nB=2\nA=3\nC=4";
    FileChanges changes;
    std::string now;
    EXPECT_EQ(ProfileEdit::removeInto(old, {" a", "b", "C", "nope"}, now, &changes), 3u);
    EXPECT_EQ(now, "X=0\n[Label]\n; about A\n[O]\nB=o\n[label]\nA=3\n");
    expectReversible(old, now, changes);
    // A file changed since is left as it is.
    std::string undone;
    EXPECT_FALSE(ProfileEdit::revertInto(now + "Q=1\n", true, changes, true, undone)[0]);
    EXPECT_EQ(undone, now + "Q=1\n");
}

TEST(LabelAlign, GoldenFiles)
{
    struct Case
    {
        const char *name;
        std::string before;
        LabelAlign::Fill fill;
        std::string after;
        std::size_t moved, added;
    };
    const auto E = LabelAlign::Fill::Empty;
    const std::string bom = "\xEF\xBB\xBF";
    const Case cases[] = {
        {"comments travel, head and tail stay",
         "; top\n[Label]\n; e\nE=5\n\n; about a\na=1\n; tail\n", LabelAlign::Fill::French,
         "; top\n[Label]\n\n; about a\na=1\nB=deux\nC=trois\nD=quatre\n; e\nE=5\n; tail\n", 1, 3},
        {"extras and a key twice follow", "[Label]\nX=x\nB=2\nA=1\nb=again\nC=\nD=\nE=\n", E,
         "[Label]\nA=1\nB=2\nC=\nD=\nE=\nX=x\nb=again\n", 3, 0},
        {"BOM and CRLF", bom + "[Label]\r\nB=2\r\nA=1\r\n", E,
         bom + "[Label]\r\nA=1\r\nB=2\r\nC=\r\nD=\r\nE=\r\n", 1, 3},
        {"no final line end", "[Label]\nB=2\nA=1", E, "[Label]\nA=1\nB=2\nC=\nD=\nE=\n", 1, 3},
        {"other sections stay", "[Label]\nB=2\n[Other]\nA=o\n[Label]\nA=1\nC=\nD=\nE=", E,
         "[Label]\nA=1\nB=2\nC=\nD=\nE=\n[Other]\nA=o\n[Label]\n", 1, 0},
        {"empty file", "", E, "[Label]\r\nA=\r\nB=\r\nC=\r\nD=\r\nE=\r\n", 0, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const LabelAlign::Aligned a = LabelAlign::align(kFrench, c.before, c.fill);
        EXPECT_TRUE(a.changed);
        EXPECT_EQ(a.bytes, c.after);
        EXPECT_EQ(a.linesMoved, c.moved);
        EXPECT_EQ(a.labelsAdded, c.added);
        expectReversible(c.before, a.bytes, a.changes);
        EXPECT_FALSE(LabelAlign::align(kFrench, a.bytes, c.fill).changed);
    }
    EXPECT_FALSE(LabelAlign::align(kFrench, "[Label]\nA=\nB=\nc=\nD=\n E=", E).changed);
}

TEST(LabelAlignProperty, ShuffledFilesComeBackInFrenchOrder)
{
    const unsigned seed = verbolt::test::testSeed(20261210);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        const std::string old = randomFile(rng, true);
        SCOPED_TRACE(testing::PrintToString(old));
        const LabelAlign::Aligned a = LabelAlign::align(kFrench, old, LabelAlign::Fill::Empty);
        // The French labels first, in order; the old lines all kept, one of each label added.
        std::vector<std::string> keys, oldLines, newLines;
        verbolt::LabelReader::forEachEntry(a.bytes, [&](verbolt::LabelLine l) {
            keys.emplace_back(verbolt::Blanks::trim(l.key));
        });
        ASSERT_GE(keys.size(), kFrench.size());
        for (std::size_t i = 0; i < kFrench.size(); ++i)
            EXPECT_EQ(kFrench.position(keys[i]), static_cast<int>(i));
        const auto lines = [](const std::string &bytes, std::vector<std::string> &out) {
            for (const auto &[b, n] : ProfileEdit::linesOf(bytes)) {
                std::string line = bytes.substr(b, n - b);
                if (!line.ends_with('\n'))
                    line += line.ends_with('\r') ? "\n" : "\r\n";
                out.push_back(line.ends_with("\r\n") ? line.substr(0, line.size() - 2)
                                                     : line.substr(0, line.size() - 1));
            }
            std::sort(out.begin(), out.end());
        };
        lines(old, oldLines);
        lines(a.bytes, newLines);
        EXPECT_TRUE(
            std::includes(newLines.begin(), newLines.end(), oldLines.begin(), oldLines.end()));
        // A header comes only into a file without one and without entries.
        const bool header = old.find("[Label]") == std::string::npos &&
                            verbolt::LabelReader::forEachEntry(old, [](verbolt::LabelLine) {}) == 0;
        EXPECT_EQ(newLines.size(), oldLines.size() + a.labelsAdded + (header ? 1 : 0));
        if (a.changed)
            expectReversible(old, a.bytes, a.changes);
        EXPECT_FALSE(LabelAlign::align(kFrench, a.bytes, LabelAlign::Fill::Empty).changed);
    }
}

} // namespace
