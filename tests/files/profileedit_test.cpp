#include "blanks.h"
#include "labelreader.h"
#include "profileedit.h"
#include "seed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;
using verbolt::Blanks;
using verbolt::KeyValue;
using verbolt::LabelReader;
using verbolt::ProfileEdit;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

struct Golden
{
    const char *name;
    std::optional<std::string> before; // nothing: the file is missing
    std::vector<KeyValue> writes;
    std::string after;
};

// clang-format off
const Golden kGolden[] = {
    // Present keys: only the bytes after the first "=" change; the first match wins.
    {"CRLF", "[Label]\r\nA=1\r\nB=2\r\n", {{"B", "x"}}, "[Label]\r\nA=1\r\nB=x\r\n"},
    {"blanks around =", "[Label]\n  A  =  old  \n", {{" a ", "new"}}, "[Label]\n  A  =new\n"},
    {"same value, blanks kept", "[Label]\nA = same \r\n", {{"A", "same"}}, "[Label]\nA = same \r\n"},
    {"value holding =", "[Label]\nA=x=y\nB=\r\n", {{"A", ""}, {"B", "v"}}, "[Label]\nA=\nB=v\r\n"},
    {"no final line end", "[Label]\nA=1", {{"A", "2"}}, "[Label]\nA=2"},
    {"changes nothing", "[Label]\nA=1\n; c\n", {{"a", "1"}}, "[Label]\nA=1\n; c\n"},
    {"duplicate key", "[Label]\na=1\nA=2\n", {{"A", "x"}}, "[Label]\na=x\nA=2\n"},
    {"hash starts a key", "[Label]\n#K=1\n", {{"#k", "2"}}, "[Label]\n#K=2\n"},
    {"before the first section", "A=1\n[Label]\nB=2\n", {{"A", "x"}, {"C", "3"}},
     "A=x\n[Label]\nB=2\nC=3\n"},
    {"second Label section", "[Label]\nA=1\n[Other]\nB=1\n[ label ]\nB=2\n", {{"B", "x"}},
     "[Label]\nA=1\n[Other]\nB=1\n[ label ]\nB=x\n"},
    {"BOM", kBom + "[Label]\r\nA=1\r\n", {{"A", "2"}, {"B", "3"}}, kBom + "[Label]\r\nA=2\r\nB=3\r\n"},

    // Missing keys go after the last entry line of the first Label section.
    {"missing key", "[Label]\nA=1\n\n; end\n", {{"B", "2"}}, "[Label]\nA=1\nB=2\n\n; end\n"},
    {"two sections", "[Label]\nA=1\n[O]\n[Label]\nB=2\n", {{"C", "3"}},
     "[Label]\nA=1\nC=3\n[O]\n[Label]\nB=2\n"},
    {"only under another section", "[Label]\nA=1\n[O]\nK=1\n", {{"K", "x"}},
     "[Label]\nA=1\nK=x\n[O]\nK=1\n"},
    {"comment like the key", "[Label]\n; K=x\nA=1\n", {{"K", "y"}}, "[Label]\n; K=x\nA=1\nK=y\n"},
    {"NUL line is no entry", "[Label]\n\0A=1\n"s, {{"A", "2"}}, "[Label]\nA=2\n\0A=1\n"s},
    {"section without entries", "[Label]\n; c\n\n[O]\n", {{"A", "1"}}, "[Label]\nA=1\n; c\n\n[O]\n"},
    {"keys starting ; and [", "[Label]\nA=1\n", {{";K", "1"}, {"[K", "2"}, {";k", "3"}},
     "[Label]\nA=1\n ;K=3\n [K=2\n"},
    {"line end added", "[Label]\r\nA=1", {{"B", "2"}}, "[Label]\r\nA=1\r\nB=2\r\n"},
    {"lone CR ends the file", "[Label]\r\nA=1\r", {{"A", "2"}, {"B", "3"}},
     "[Label]\r\nA=2\r\nB=3\r\n"},
    {"header ends the file", "[Label]", {{"A", "1"}}, "[Label]\r\nA=1\r\n"},
    {"mixed, CRLF first", "[Label]\r\nA=1\nB=2\r\n", {{"A", "x"}, {"C", "y"}},
     "[Label]\r\nA=x\nB=2\r\nC=y\r\n"},
    {"mixed, LF first", "[Label]\nA=1\r\n", {{"C", "y"}}, "[Label]\nA=1\r\nC=y\n"},
    {"missing section", "[O]\nA=1\n", {{"A", "2"}}, "[O]\nA=1\n[Label]\nA=2\n"},
    {"missing section, no line end", "X", {{"A", "2"}}, "X\r\n[Label]\r\nA=2\r\n"},
    {"BOM only", kBom, {{"A", "1"}}, kBom + "[Label]\r\nA=1\r\n"},
    {"missing file", std::nullopt, {{"A", "1"}, {"B", "2"}}, "[Label]\r\nA=1\r\nB=2\r\n"},
    // The reader takes "a" as the key of the new line "a=b=v", which comes first.
    {"key holding =", "[Label]\nX=1\n[Label]\na=old\n", {{"a=b", "v"}, {"A", "z"}},
     "[Label]\nX=1\na=z\n[Label]\na=old\n"},
};
// clang-format on

TEST(ProfileEdit, GoldenFilesInOneBatchAndOneByOne)
{
    for (const Golden &g : kGolden) {
        SCOPED_TRACE(g.name);
        EXPECT_EQ(ProfileEdit::apply(g.before.value_or(""), g.before.has_value(), g.writes),
                  g.after);
        std::optional<std::string> bytes = g.before;
        for (const KeyValue &kv : g.writes)
            bytes = ProfileEdit::apply(bytes.value_or(""), bytes.has_value(), {kv});
        EXPECT_EQ(bytes, g.after);
    }
}

TEST(ProfileEdit, RefusesLineBreaksAndNul)
{
    for (const std::string &bad : {"a\rb"s, "a\nb"s, "a\0b"s}) {
        EXPECT_FALSE(ProfileEdit::apply("[Label]\nA=1\n", true, {{"B", "ok"}, {"A", bad}}));
        EXPECT_FALSE(ProfileEdit::apply("", false, {{bad, "x"}}));
    }
}

TEST(ProfileEdit, ReadValueFollowsTheSameLines)
{
    const std::string file = kBom + "A=before\n[Other]\nB=other\n[LABEL]\n; C=comment\n"
                                    "  c  =  \"quoted\" \xA0  \r\nC=second\n\0D=nul\n"
                                    "[Label]\nB=label\n"s;
    EXPECT_EQ(ProfileEdit::readValue(file, "a"), "before");
    EXPECT_EQ(ProfileEdit::readValue(file, " C "), "\"quoted\" \xA0");
    EXPECT_EQ(ProfileEdit::readValue(file, "B"), "label");
    EXPECT_EQ(ProfileEdit::readValue(file, "D"), "");
}

TEST(ProfileEdit, KeysAlikeButForTheirMiddleLandOnTheirOwnLines)
{
    // Real IDs: one length, long shared prefixes and suffixes, the number in the middle;
    // written in reverse order, every other one in small letters, and one missing.
    const auto id = [](int i) {
        std::string n = std::to_string(1000000 + i).substr(1);
        return "IDS_DIALOG_MESSAGE_" + n + "_TOOLTIP_TEXT";
    };
    std::string before = "[Label]\r\n";
    std::string after = before;
    std::vector<KeyValue> writes;
    for (int i = 0; i < 3000; ++i) {
        before += id(i) + "=old\r\n";
        after += id(i) + "=new " + std::to_string(i) + "\r\n";
    }
    after += id(3000) + "=new 3000\r\n";
    for (int i = 3000; i >= 0; --i) {
        std::string key = id(i);
        if (i % 2)
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        writes.push_back({key, "new " + std::to_string(i)});
    }
    EXPECT_EQ(ProfileEdit::apply(before, true, writes), after);
}

// --- Properties over generated files -----------------------------------------------------

std::string folded(std::string_view s)
{
    std::string out(Blanks::trim(s));
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The reader's entry lines, each with where it stands, checked against after each write.
struct Entry
{
    std::string key, value;
    std::size_t begin, next;
    bool inScope, inFirstLabel;
};
struct Model
{
    std::vector<Entry> entries;
    bool hasLabel = false;
    std::size_t firstLabelAt = 0; // entries before the first Label header
};

Model modelOf(std::string_view bytes)
{
    Model m;
    bool inScope = true, inFirst = false;
    LabelReader::forEachLine(bytes, [&](std::string_view line, std::size_t b, std::size_t n) {
        if (!line.empty() && line[0] == '[') {
            inScope = folded(line.substr(1, line.find(']') - 1)) == "label";
            inFirst = inScope && !m.hasLabel;
            m.firstLabelAt = inFirst ? m.entries.size() : m.firstLabelAt;
            m.hasLabel = m.hasLabel || inScope;
        } else if (const auto e = LabelReader::entryOf(line)) {
            m.entries.push_back(
                {std::string(e->key), std::string(e->value), b, n, inScope, inFirst});
        }
    });
    return m;
}

std::string randomFile(std::mt19937 &rng)
{
    static const std::vector<std::string> lines = {
        "[Label]", "[label ]", "[ LABEL ] x", "[Other]", "[Label",   "[Labels]", "; A=c",
        "",        "   ",      "no equals",   "\0A=1"s,  " ;A=2",    "=empty",   "\t[b=3",
        "A=1",     " b = x ",  "ID_x=a=b",    "#h=\xA0", "c1=\"q\"", "a= \x0b"};
    static const std::vector<std::string> ends = {"\n", "\r\n", "", "\r"};
    std::string out = rng() % 4 == 0 ? kBom : "";
    for (std::size_t i = rng() % 12; i > 0; --i)
        out += lines[rng() % lines.size()] + ends[i > 1 ? rng() % 2 : rng() % 4];
    return out;
}

KeyValue randomWrite(std::mt19937 &rng)
{
    static const std::vector<std::string> keys = {"A",   " a",    "b ",  "Id_X", "#H",  "C1", "new",
                                                  "NEW", ";semi", "[br", "",     "a=b", " "};
    static const std::vector<std::string> values = {"", "x", " sp ", "a=b", "\xA0", "\x0b"};
    return {keys[rng() % keys.size()], values[rng() % values.size()]};
}

// One write against the model: every byte outside the written value stays, the entries
// stay at their positions, and a missing key adds one entry where the rules put it.
void checkWrite(const std::string &old, const KeyValue &kv, const std::string &now)
{
    const Model before = modelOf(old);
    const Model after = modelOf(now);
    const std::string value(Blanks::trim(kv.value));
    const bool plainKey = kv.key.find('=') == std::string::npos;
    const auto target =
        std::find_if(before.entries.begin(), before.entries.end(), [&](const Entry &e) {
            return plainKey && e.inScope && folded(e.key) == folded(kv.key);
        });
    std::size_t at = target - before.entries.begin(); // the entry written or added
    const bool present = target != before.entries.end();
    if (!present && before.hasLabel) {
        at = before.firstLabelAt;
        for (std::size_t i = 0; i < before.entries.size(); ++i)
            at = before.entries[i].inFirstLabel ? i + 1 : at;
    }
    ASSERT_EQ(after.entries.size(), before.entries.size() + !present);
    for (std::size_t i = 0; i < after.entries.size(); ++i) {
        const std::size_t j = present || i < at ? i : i - 1;
        if (i != at) {
            EXPECT_EQ(after.entries[i].key, before.entries[j].key);
            EXPECT_EQ(after.entries[i].value, before.entries[j].value);
        } else if (plainKey) {
            EXPECT_EQ(folded(after.entries[i].key), folded(kv.key));
            EXPECT_EQ(after.entries[i].value, value);
        }
    }

    if (present) {
        const std::size_t eq = old.find('=', target->begin) + 1;
        std::size_t end = target->next - (old[target->next - 1] == '\n');
        end -= end > eq && old[end - 1] == '\r';
        // A value the reader already sees as the new one is left byte for byte.
        const bool same = Blanks::trim(old.substr(eq, end - eq)) == kv.value;
        EXPECT_EQ(now, same ? old : old.substr(0, eq) + kv.value + old.substr(end));
        return;
    }
    const std::size_t bom = LabelReader::bomLength(old), lf = old.find('\n', bom);
    const std::string eol =
        lf == std::string::npos || (lf > bom && old[lf - 1] == '\r') ? "\r\n" : "\n";
    const Entry &added = after.entries[at];
    const std::string lead = kv.key.starts_with(';') || kv.key.starts_with('[') ? " " : "";
    EXPECT_EQ(now.substr(added.begin, added.next - added.begin),
              lead + kv.key + "=" + kv.value + eol);
    // Without the new line (and a new header) the old bytes remain, save a completed last line.
    std::string rest = now.substr(0, added.begin) + now.substr(added.next);
    const std::size_t header = before.hasLabel ? 0 : 7 + eol.size();
    EXPECT_EQ(rest.substr(added.begin - header, header), header ? "[Label]" + eol : "");
    rest.erase(added.begin - header, header);
    if (rest != old) {
        EXPECT_EQ(rest, old + (old.ends_with('\r') ? "\n" : eol));
    }
}

TEST(ProfileEditProperty, EditsKeepEveryOtherByteAndBatchEqualsOneByOne)
{
    const unsigned seed = verbolt::test::testSeed(20240611);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VERBOLT_TEST_SEED sets another)");
    std::mt19937 rng(seed);
    for (int round = 0; round < 3000 && !HasFailure(); ++round) {
        const std::string old = randomFile(rng);
        SCOPED_TRACE(testing::PrintToString(old));
        std::vector<KeyValue> writes(1 + rng() % 6);
        std::string oneByOne = old;
        for (KeyValue &kv : writes) {
            kv = randomWrite(rng);
            const std::string now = ProfileEdit::apply(oneByOne, true, {kv}).value();
            checkWrite(oneByOne, kv, now);
            if (kv.key.find('=') == std::string::npos) { // such a key is never found again
                EXPECT_EQ(ProfileEdit::readValue(now, kv.key), Blanks::trim(kv.value));
                EXPECT_EQ(ProfileEdit::apply(now, true, {kv}), now) << "rewrite changes nothing";
            }
            oneByOne = now;
        }
        EXPECT_EQ(ProfileEdit::apply(old, true, writes), oneByOne);
        std::string out;
        bool changed = false;
        ASSERT_TRUE(ProfileEdit::applyInto(old, true, writes, out, &changed));
        EXPECT_EQ(changed, out != old) << "a write that changes nothing is told apart";
    }
}

} // namespace

TEST(ProfileEditRevert, UndoGivesTheOldBytesAndRedoTheNewOnes)
{
    struct Case
    {
        const char *name;
        std::string before;
        bool exists;
        std::vector<KeyValue> writes;
    };
    const Case cases[] = {
        {"changed values, blanks around them",
         "[Label]\r\nA = un  \r\nB=deux\r\n",
         true,
         {{"a", "one"}, {"B", ""}}},
        {"a key added to the section", "[Label]\nA=1\n\n[Other]\nX=x\n", true, {{"C", "3"}}},
        {"a section added, last line without a line end",
         "\xEF\xBB\xBF; notes\r\nx",
         true,
         {{"A", "1"}, {"B", "2"}}},
        {"a last line ending in CR", "[Other]\r\nX=1\r", true, {{"A", "1"}}},
        {"an empty value filled in", "[Label]\nA=\nB=2\n", true, {{"A", "1"}, {"B", ""}}},
        {"a new file", "", false, {{"A", "1"}, {"A", "2"}}},
        {"the same key twice, changed and added",
         "[Label]\nA=1\n",
         true,
         {{"A", "2"}, {"B", "x"}, {"A", "3"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        verbolt::FileChanges changes;
        std::string after;
        ASSERT_TRUE(ProfileEdit::applyInto(c.before, c.exists, c.writes, after, nullptr, &changes));
        std::string undone;
        const std::vector<bool> applied =
            ProfileEdit::revertInto(after, true, changes, true, undone);
        EXPECT_EQ(undone, c.before);
        EXPECT_EQ(std::count(applied.begin(), applied.end(), true),
                  static_cast<long>(changes.keys.size()));
        std::string redone;
        ProfileEdit::revertInto(undone, c.exists, changes, false, redone);
        EXPECT_EQ(redone, after);
    }
}

TEST(ProfileEditRevert, AKeyChangedSinceIsLeftAsItIs)
{
    const std::string before = "[Label]\nA=1\nB=2\n";
    verbolt::FileChanges changes;
    std::string after;
    ASSERT_TRUE(ProfileEdit::applyInto(before, true, {{"A", "one"}, {"B", "two"}, {"C", "three"}},
                                       after, nullptr, &changes));
    // Another program changes B and removes C's line.
    const std::string edited = "[Label]\nA=one\nB=deux\n";
    std::string undone;
    const std::vector<bool> applied = ProfileEdit::revertInto(edited, true, changes, true, undone);
    EXPECT_EQ(undone, "[Label]\nA=1\nB=deux\n");
    EXPECT_EQ(applied, (std::vector<bool>{true, false, false}));
}

TEST(ChangedKeys, KeepsAnEmptyValueApartFromNoneAndKeepsOrder)
{
    verbolt::ChangedKeys keys;
    keys.add("A", std::string_view(), "1");
    keys.add("B", std::nullopt, "");
    keys.add("C", "old", "new");
    keys.keepOnly({false, true, true});
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].key, "B");
    EXPECT_FALSE(keys[0].before.has_value());
    EXPECT_EQ(keys[0].after, "");
    EXPECT_EQ(keys[1].key, "C");
    EXPECT_EQ(keys[1].before, std::optional<std::string_view>("old"));
    EXPECT_EQ(keys[1].after, "new");
    keys.add("D", std::string_view(), "x");
    EXPECT_EQ(keys[2].before, std::optional<std::string_view>(""));
}
