#include "labelmarks.h"
#include "asciifold.h"
#include "blanks.h"
#include "checkmutes.h"

#include "foldedkeyset.h"
#include "labeldirectory.h"
#include "labelreader.h"
#include "parallel.h"
#include "placeholders.h"
#include "profileedit.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <thread>

namespace verbolt {

namespace {

std::uint64_t foldedHash(std::string_view key)
{
    return FoldedKeySet::hash(Blanks::trim(key));
}

// The next entry line of `bytes` from `pos` on, or nothing at the end; `pos` moves past it.
// `inScope` follows the section headers on the way, as the writer reads them: lines before
// the first header and in [Label] sections are where it looks for keys.
std::optional<LabelLine> nextEntry(std::string_view bytes, std::size_t &pos, bool &inScope)
{
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
        const std::string_view line = bytes.substr(pos, end - pos);
        pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (!line.empty() && line[0] == '[')
            inScope = ProfileEdit::isLabelHeader(line);
        else if (auto entry = LabelReader::entryOf(line)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<LabelLine> nextEntry(std::string_view bytes, std::size_t &pos)
{
    bool inScope = true;
    return nextEntry(bytes, pos, inScope);
}

// The checks the marks have always judged, and those of the text checks that set marks of
// their own (with spelling when a word checker is given).
constexpr CheckMask kBaseChecks =
    checkBit(Check::Empty) | checkBit(Check::Placeholders) | checkBit(Check::Accelerators);
constexpr CheckMask kTextMarkChecks = kBaseChecks | checkBit(Check::Escapes) |
                                      checkBit(Check::Markup) | checkBit(Check::Punctuation) |
                                      checkBit(Check::Spaces) | checkBit(Check::Numbers) |
                                      checkBit(Check::Urls) | checkBit(Check::Repeated);

// A text without its accelerator marks and the blanks around it.
std::string_view plainText(std::string_view text, std::string &buffer)
{
    return TextChecks::plainWord(Blanks::trim(text), buffer);
}

bool samePlainText(std::string_view a, std::string_view b)
{
    std::string x, y;
    return plainText(a, x) == plainText(b, y);
}

// Rows whose French text is one of a group's are compared with at most this many rows of the
// group before them, and a change refreshes at most this many rows of a group.
constexpr int kSameTextWalk = 64;

// How many rows ahead the hash slots of the French IDs and texts are fetched while indexing.
constexpr int kFetchAhead = 8;

} // namespace

LabelMarks::LabelMarks(const LabelGrid &grid) : m_grid(grid)
{
    restart();
}

void LabelMarks::restart(const std::function<void()> &between)
{
    const auto rows = static_cast<std::size_t>(m_grid.rowCount());
    m_marks.assign(static_cast<std::size_t>(std::max(m_grid.columnCount(), 0)), {});
    // Megabytes a column at a million rows: `between` is told after each.
    const auto told = [&] {
        if (between)
            between();
    };
    for (std::size_t c = 1; c < m_marks.size(); ++c) {
        m_marks[c].assign(rows, 0);
        told();
    }
    std::size_t slots = 64;
    while (slots < rows * 2)
        slots *= 2;
    m_ids.assign(rows ? slots : 0, 0);
    told();
    m_idRows.assign(rows, kLookUp);
    // The groups of French texts get their room when the French file is first indexed, not
    // here: a window is shown before.
    m_firstSame = {};
    m_nextSame = {};
    m_texts = {};
    m_counts = {};
    m_pending.clear();
    m_next = 0;
    m_cursors.clear();
    m_phase = Phase::French;
    if (rows == 0 || m_grid.columnCount() < 2)
        m_phase = Phase::Done;
    else
        startCursors();
}

void LabelMarks::restartLanguages()
{
    if (m_phase == Phase::French)
        return; // no language cell is marked yet
    const auto rows = static_cast<std::size_t>(m_grid.rowCount());
    for (std::size_t c = 2; c < m_marks.size(); ++c)
        m_marks[c].assign(rows, 0);
    m_counts = {};
    for (MarkSet m : m_marks[1])
        for (; m; m &= m - 1)
            ++m_counts[static_cast<std::size_t>(std::countr_zero(m))];
    if (m_idRows.size() != rows) // given back once every row was marked: looked up again
        m_idRows.assign(rows, kLookUp);
    m_pending.clear();
    m_next = 0;
    m_phase = Phase::Languages;
    startCursors();
}

void LabelMarks::startTexts()
{
    const auto rows = static_cast<std::size_t>(m_grid.rowCount());
    if (m_firstSame.size() == rows)
        return;
    m_firstSame.assign(rows, -1);
    m_nextSame.assign(rows, -1);
    m_texts.assign(m_ids.size(), 0);
}

void LabelMarks::startCursors()
{
    m_cursors.assign(static_cast<std::size_t>(m_grid.columnCount()), Cursor{});
    for (int c = 1; c < m_grid.columnCount(); ++c)
        m_cursors[static_cast<std::size_t>(c)].pos = LabelReader::bomLength(m_grid.columnBytes(c));
}

std::size_t LabelMarks::slot(std::string_view key) const
{
    const std::size_t mask = m_ids.size() - 1;
    std::size_t i = foldedHash(key) & mask;
    while (m_ids[i] != 0 &&
           !ProfileEdit::sameKey(m_grid.itemText(static_cast<int>(m_ids[i] - 1), 0), key))
        i = (i + 1) & mask;
    return i;
}

int LabelMarks::idRow(int row) const
{
    const auto known = static_cast<std::size_t>(row) < m_idRows.size()
                           ? m_idRows[static_cast<std::size_t>(row)]
                           : kLookUp;
    return known != kLookUp ? known : frenchRow(m_grid.itemText(row, 0));
}

int LabelMarks::frenchRow(std::string_view key) const
{
    if (m_ids.empty())
        return -1;
    const std::uint32_t found = m_ids[slot(key)];
    return found == 0 ? -1 : static_cast<int>(found - 1);
}

bool LabelMarks::waitingForWords() const
{
    if (!m_words || !m_textMarks || m_wordsReady)
        return false;
    for (int c = 2; c < m_grid.columnCount(); ++c)
        if (!m_words->ready(m_grid.header(c).value_or("")))
            return true;
    m_wordsReady = true;
    return false;
}

bool LabelMarks::computeSome(int rows)
{
    if ((m_phase == Phase::Languages || !m_pending.empty()) && waitingForWords())
        return false;
    const int total = m_grid.rowCount();
    while (rows > 0 && m_phase != Phase::Done) {
        const int end = std::min(total, m_next + rows);
        rows -= end - m_next;
        if (m_phase == Phase::French) {
            startTexts();
            // The French file's lines give the rows, in order; a key is looked up where the
            // writer finds it: its first line in the [Label] sections.
            Cursor &cursor = m_cursors[1];
            for (int r = m_next; r < end; ++r) {
                if (r + kFetchAhead < end) // (as the texts' slots are, below)
                    __builtin_prefetch(&m_ids[foldedHash(m_grid.itemText(r + kFetchAhead, 0)) &
                                              (m_ids.size() - 1)]);
                nextEntry(m_grid.columnBytes(1), cursor.pos, cursor.inScope);
                if (!cursor.inScope) {
                    set(r, 1, Mark::OtherSection);
                    continue; // a later row may give its ID a first row yet
                }
                std::uint32_t &s = m_ids[slot(m_grid.itemText(r, 0))];
                if (s == 0)
                    s = static_cast<std::uint32_t>(r) + 1;
                else
                    set(r, 1, Mark::RepeatedId);
                if (!m_textsApart)
                    groupFrenchText(r);
                m_idRows[static_cast<std::size_t>(r)] = static_cast<std::int32_t>(s - 1);
            }
        } else {
            for (int r = m_next; r < end; ++r) {
                for (int c = 2; c < m_grid.columnCount(); ++c) {
                    Cursor &cursor = m_cursors[static_cast<std::size_t>(c)];
                    const auto entry = nextEntry(m_grid.columnBytes(c), cursor.pos, cursor.inScope);
                    MarkSet marks = Mark::Missing;
                    if (entry)
                        marks = cellMarks(r, c, entry->key) |
                                (cursor.inScope ? MarkSet{0} : MarkSet{Mark::OtherSection});
                    set(r, c, marks);
                }
            }
        }
        m_next = end;
        if (m_next < total)
            continue;
        m_next = 0;
        if (m_phase == Phase::French) {
            m_phase = Phase::Languages;
            if (!m_textsApart)
                m_texts = {};
            startCursors();
        } else {
            m_phase = Phase::Done;
            m_cursors = {};
            m_idRows = {};
        }
    }
    if (m_phase == Phase::Done && rows > 0 && !m_pending.empty()) {
        const std::size_t n = std::min(static_cast<std::size_t>(rows), m_pending.size());
        const std::vector<int> batch(m_pending.end() - static_cast<std::ptrdiff_t>(n),
                                     m_pending.end());
        m_pending.resize(m_pending.size() - n);
        for (const int row : batch)
            refreshRow(row);
        refreshSameText(batch);
    }
    return complete();
}

void LabelMarks::refreshLater(const std::vector<int> &rows)
{
    for (const int row : rows)
        if (row >= 0 && row < m_grid.rowCount())
            m_pending.push_back(row);
}

void LabelMarks::indexFrench()
{
    if (m_phase != Phase::French)
        return;
    if (m_next > 0) {
        computeSome(m_grid.rowCount() - m_next);
        return;
    }
    // The IDs here, the texts on a thread of their own: each has tables of its own.
    startTexts();
    m_textsApart = true;
    std::thread texts([this] {
        std::size_t pos = LabelReader::bomLength(m_grid.columnBytes(1));
        bool inScope = true;
        std::string buffer;
        for (int r = 0; r < m_grid.rowCount(); ++r) {
            // The slot of a text some rows on is fetched while this one is grouped: at a
            // million rows the table is far larger than the caches.
            if (r + kFetchAhead < m_grid.rowCount())
                __builtin_prefetch(&m_texts[ProfileEdit::hashOf(plainText(
                                                m_grid.itemText(r + kFetchAhead, 1), buffer)) &
                                            (m_texts.size() - 1)]);
            nextEntry(m_grid.columnBytes(1), pos, inScope);
            if (inScope)
                groupFrenchText(r);
        }
    });
    computeSome(m_grid.rowCount());
    texts.join();
    m_textsApart = false;
    m_texts = {};
}

MarkSet LabelMarks::markLine(int row, int column, std::string_view key, bool inLabel,
                             TextChecks &checks, std::vector<TextChecks::Finding> &scratch)
{
    const MarkSet marks = cellMarks(row, column, key, checks, scratch) |
                          (inLabel ? MarkSet{0} : MarkSet{Mark::OtherSection});
    m_marks[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = marks;
    return marks;
}

void LabelMarks::markMissing(int row, int column)
{
    m_marks[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = Mark::Missing;
}

void LabelMarks::computeAll(int threads)
{
    // The French IDs first: every language column looks its keys up among them.
    if (m_phase == Phase::French)
        computeSome(m_grid.rowCount() - m_next); // and no row of the languages yet
    const int columns = m_grid.columnCount();
    threads = std::min(threads, columns - 2);
    if (threads > 1 && m_phase == Phase::Languages && m_next == 0) {
        // Each column has a cursor and marks of its own: columns go to whichever thread
        // is free, each thread with checks and counts of its own.
        const auto n = static_cast<std::size_t>(threads);
        std::vector<std::array<std::size_t, Mark::kKinds>> counts(n);
        std::vector<TextChecks> checks(n, m_checks);
        std::vector<std::vector<TextChecks::Finding>> scratch(n);
        inParallel(threads, static_cast<std::size_t>(columns - 2), [&](std::size_t k, int t) {
            const auto i = static_cast<std::size_t>(t);
            computeColumn(static_cast<int>(k) + 2, checks[i], scratch[i], counts[i]);
        });
        for (const auto &c : counts)
            for (std::size_t k = 0; k < c.size(); ++k)
                m_counts[k] += c[k];
        m_phase = Phase::Done;
        m_cursors = {};
        // m_idRows stays: a report asks for the findings of every marked cell next.
    }
    while (!computeSome(1 << 16)) {
    }
}

void LabelMarks::computeColumn(int column, TextChecks &checks,
                               std::vector<TextChecks::Finding> &scratch,
                               std::array<std::size_t, Mark::kKinds> &counts)
{
    Cursor &cursor = m_cursors[static_cast<std::size_t>(column)];
    std::vector<MarkSet> &cells = m_marks[static_cast<std::size_t>(column)];
    const std::string_view bytes = m_grid.columnBytes(column);
    for (int r = 0; r < m_grid.rowCount(); ++r) {
        const auto entry = nextEntry(bytes, cursor.pos, cursor.inScope);
        MarkSet marks = Mark::Missing;
        if (entry)
            marks = cellMarks(r, column, entry->key, checks, scratch) |
                    (cursor.inScope ? MarkSet{0} : MarkSet{Mark::OtherSection});
        cells[static_cast<std::size_t>(r)] = marks;
        for (; marks; marks &= marks - 1)
            ++counts[static_cast<std::size_t>(std::countr_zero(marks))];
    }
}

std::uint32_t Mark::of(Check check)
{
    switch (check) {
    case Check::Order:
        return OutOfStep | Missing | OtherSection | RepeatedId;
    case Check::Empty:
        return Empty;
    case Check::Placeholders:
        return Placeholders;
    case Check::Accelerators:
        return Accelerators;
    case Check::Escapes:
        return Escapes;
    case Check::Markup:
        return Markup;
    case Check::Punctuation:
        return Punctuation;
    case Check::Spaces:
        return Spaces;
    case Check::Numbers:
        return Numbers;
    case Check::Urls:
        return Urls;
    case Check::Repeated:
        return Repeated;
    case Check::Inconsistent:
        return Inconsistent;
    case Check::Spelling:
        return Spelling;
    }
    return 0;
}

CheckMask LabelMarks::markChecks() const
{
    return kTextMarkChecks | (m_words ? checkBit(Check::Spelling) : 0);
}

MarkSet LabelMarks::textMarks(int french, int row, int column, TextChecks &checks,
                              std::vector<TextChecks::Finding> &scratch) const
{
    if (!m_textMarks)
        return 0;
    const std::string_view frenchText = m_grid.itemText(french, 1);
    const std::string_view text = m_grid.itemText(row, column);
    MarkSet marks = 0;
    if (!text.empty() && text == frenchText)
        marks |= Mark::Untranslated;
    scratch.clear();
    checks.compare(frenchText, text, m_grid.header(column).value_or(""), markChecks(), scratch);
    for (const auto &f : scratch)
        marks |= Mark::of(f.check);
    return unmuted(m_grid.itemText(french, 0), column, marks);
}

MarkSet LabelMarks::unmuted(std::string_view id, int column, MarkSet marks) const
{
    if (!m_mutes || !(marks & ~MarkSet{Mark::Untranslated}))
        return marks;
    const std::string_view header = m_grid.header(column).value_or("");
    for (int k = 0; k < kCheckCount; ++k) {
        const auto check = static_cast<Check>(k);
        if (check != Check::Order && (marks & Mark::of(check)) && m_mutes->muted(id, check, header))
            marks &= ~Mark::of(check);
    }
    return marks;
}

std::vector<TextChecks::Finding> LabelMarks::textFindings(int row, int column,
                                                          CheckMask checks) const
{
    std::vector<TextChecks::Finding> out;
    textFindings(row, column, checks, m_checks, out);
    return out;
}

void LabelMarks::textFindings(int row, int column, CheckMask checks, TextChecks &with,
                              std::vector<TextChecks::Finding> &out,
                              const std::vector<TextChecks::FrenchSide> *sides) const
{
    const MarkSet marks = at(row, column);
    if (column < 2 || (marks & Mark::Missing))
        return;
    const int french = (marks & Mark::OutOfStep) ? frenchRow(lineKey(row, column)) : idRow(row);
    if (french < 0)
        return;
    with.compare(m_grid.itemText(french, 1), m_grid.itemText(row, column),
                 m_grid.header(column).value_or(""), checks, out,
                 sides ? &(*sides)[static_cast<std::size_t>(french)] : nullptr);
}

MarkSet LabelMarks::cellMarks(int row, int column, std::string_view lineKey, TextChecks &checks,
                              std::vector<TextChecks::Finding> &scratch) const
{
    const std::string_view id = m_grid.itemText(row, 0);
    MarkSet marks = 0;
    int french = -1;
    if (ProfileEdit::sameKey(lineKey, id)) {
        french = idRow(row);
    } else {
        marks |= Mark::OutOfStep;
        french = frenchRow(lineKey); // a line whose key french.lan lacks is not checked
    }
    if (french >= 0)
        marks |= textMarks(french, row, column, checks, scratch);
    if (!(marks & Mark::OutOfStep) && french == row)
        marks |= unmuted(id, column, inconsistentMark(row, column));
    return marks;
}

void LabelMarks::groupFrenchText(int row)
{
    std::string buffer;
    const std::string_view text = plainText(m_grid.itemText(row, 1), buffer);
    if (text.empty())
        return;
    const std::size_t mask = m_texts.size() - 1;
    std::size_t i = ProfileEdit::hashOf(text) & mask;
    std::string other;
    for (; m_texts[i] != 0; i = (i + 1) & mask) {
        const auto last = static_cast<int>(m_texts[i] - 1);
        if (plainText(m_grid.itemText(last, 1), other) != text)
            continue;
        const auto r = static_cast<std::size_t>(row);
        const auto l = static_cast<std::size_t>(last);
        m_firstSame[r] = m_firstSame[l] >= 0 ? m_firstSame[l] : last;
        m_nextSame[l] = row;
        break;
    }
    m_texts[i] = static_cast<std::uint32_t>(row) + 1;
}

bool LabelMarks::comparable(int row, int column) const
{
    // (A later line of a repeated ID is no label's text: its key's first line is.)
    return !(at(row, column) & (Mark::OutOfStep | Mark::Missing | Mark::OtherSection)) &&
           !Blanks::trim(m_grid.itemText(row, column)).empty() && idRow(row) == row;
}

int LabelMarks::sameTextReference(int row, int column) const
{
    if (static_cast<std::size_t>(row) >= m_firstSame.size())
        return -1;
    int f = m_firstSame[static_cast<std::size_t>(row)];
    for (int k = 0; f >= 0 && f < row && k < kSameTextWalk;
         f = m_nextSame[static_cast<std::size_t>(f)], ++k)
        if (comparable(f, column))
            return f;
    return -1;
}

MarkSet LabelMarks::inconsistentMark(int row, int column) const
{
    const std::string_view text = m_grid.itemText(row, column);
    if (Blanks::trim(text).empty())
        return 0;
    const int ref = sameTextReference(row, column);
    return ref >= 0 && !samePlainText(m_grid.itemText(ref, column), text)
               ? MarkSet{Mark::Inconsistent}
               : 0;
}

std::string LabelMarks::inconsistency(int row, int column) const
{
    if (column < 2 || !comparable(row, column))
        return {};
    const int ref = sameTextReference(row, column);
    if (ref < 0 || samePlainText(m_grid.itemText(ref, column), m_grid.itemText(row, column)))
        return {};
    // In UTF-8, as the other checks speak.
    const std::string utf8 = TextCodec(m_page).toUtf8(Blanks::trim(m_grid.itemText(ref, column)));
    return "translated \"" + utf8 + "\" at " + std::string(Blanks::trim(m_grid.itemText(ref, 0))) +
           " for the same French text";
}

void LabelMarks::refreshSameText(const std::vector<int> &rows)
{
    if (m_phase != Phase::Done)
        return; // rows not reached yet are computed when their turn comes
    std::vector<int> firsts;
    for (const int row : rows) {
        if (static_cast<std::size_t>(row) >= m_firstSame.size())
            continue;
        const int first = m_firstSame[static_cast<std::size_t>(row)];
        if (first >= 0 || m_nextSame[static_cast<std::size_t>(row)] >= 0)
            firsts.push_back(first >= 0 ? first : row);
    }
    std::sort(firsts.begin(), firsts.end());
    firsts.erase(std::unique(firsts.begin(), firsts.end()), firsts.end());
    for (const int first : firsts) {
        int k = 0;
        for (int r = m_nextSame[static_cast<std::size_t>(first)]; r >= 0 && k < kSameTextWalk;
             r = m_nextSame[static_cast<std::size_t>(r)], ++k)
            for (int c = 2; c < m_grid.columnCount(); ++c) {
                const MarkSet old = at(r, c);
                if (old & (Mark::OutOfStep | Mark::Missing))
                    continue;
                const MarkSet now = unmuted(m_grid.itemText(r, 0), c, inconsistentMark(r, c));
                set(r, c, (old & ~MarkSet{Mark::Inconsistent}) | now);
            }
    }
}

void LabelMarks::set(int row, int column, MarkSet marks)
{
    MarkSet &cell = m_marks[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    for (int k = 0; k < Mark::kKinds; ++k) {
        const MarkSet bit = static_cast<MarkSet>(1u << k);
        if ((cell & bit) != (marks & bit))
            m_counts[static_cast<std::size_t>(k)] +=
                (marks & bit) ? 1 : static_cast<std::size_t>(-1);
    }
    cell = marks;
}

MarkSet LabelMarks::at(int row, int column) const
{
    if (column < 1 || column >= static_cast<int>(m_marks.size()) || row < 0 ||
        row >= m_grid.rowCount())
        return 0;
    return m_marks[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
}

bool LabelMarks::needsWork(int row) const
{
    for (std::size_t c = 1; c < m_marks.size(); ++c)
        if (m_marks[c][static_cast<std::size_t>(row)] & Mark::kNeedsWork)
            return true;
    return false;
}

bool LabelMarks::hasFinding(int row) const
{
    for (std::size_t c = 1; c < m_marks.size(); ++c)
        if (m_marks[c][static_cast<std::size_t>(row)] & (Mark::kNeedsWork | Mark::kWarnings))
            return true;
    return false;
}

void LabelMarks::refreshRow(int row)
{
    // A row not reached yet is computed when its turn comes.
    if (m_phase != Phase::Done && (m_phase == Phase::French || row >= m_next))
        return;
    for (int c = 2; c < m_grid.columnCount(); ++c) {
        const MarkSet old = at(row, c);
        if (old & Mark::Missing)
            continue;
        const std::string key =
            (old & Mark::OutOfStep) ? lineKey(row, c) : std::string(m_grid.itemText(row, 0));
        set(row, c, cellMarks(row, c, key) | (old & Mark::OtherSection));
    }
}

std::string LabelMarks::lineKey(int row, int column) const
{
    const std::string_view bytes = m_grid.columnBytes(column);
    std::optional<LabelLine> entry;
    if (const auto offset = m_grid.loadedOffset(row, column)) {
        // The cell still holds its line's text, which follows the line's "=": the line starts
        // after the line feed before that.
        const std::size_t start = bytes.rfind('\n', *offset - 1);
        std::size_t pos =
            start == std::string_view::npos ? LabelReader::bomLength(bytes) : start + 1;
        entry = nextEntry(bytes, pos);
    } else {
        std::size_t pos = LabelReader::bomLength(bytes);
        for (int n = 0; n <= row && (entry = nextEntry(bytes, pos)); ++n) {
        }
    }
    return entry ? std::string(Blanks::trim(entry->key)) : std::string();
}

std::vector<int> LabelMarks::rowsOfKeys(int column, const std::vector<std::string_view> &keys) const
{
    std::vector<int> rows(keys.size(), -1);
    if (keys.empty())
        return rows;
    // The wanted keys in a set of their own: one look-up per line of the file. Keys that
    // stand twice in `keys` share one id, so they share the first one's row.
    FoldedKeySet wanted;
    wanted.reserve(keys.size());
    std::vector<int> ids(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        ids[k] = wanted.insert(Blanks::trim(keys[k]));
    std::vector<int> rowOfId(wanted.size(), -1);
    // A write lands on the first line holding the key where the writer looks for it.
    const std::string_view bytes = m_grid.columnBytes(column);
    std::size_t pos = LabelReader::bomLength(bytes);
    bool inScope = true;
    for (int n = 0; n < m_grid.rowCount(); ++n) {
        const auto entry = nextEntry(bytes, pos, inScope);
        if (!entry)
            break;
        if (!inScope)
            continue;
        if (const int id = wanted.find(Blanks::trim(entry->key));
            id >= 0 && rowOfId[static_cast<std::size_t>(id)] < 0)
            rowOfId[static_cast<std::size_t>(id)] = n;
    }
    for (std::size_t k = 0; k < keys.size(); ++k)
        rows[k] = rowOfId[static_cast<std::size_t>(ids[k])];
    return rows;
}

std::string_view LabelMarks::kindName(int kind)
{
    static constexpr const char *kinds[Mark::kKinds] = {"out of step",
                                                        "missing",
                                                        "empty",
                                                        "with other placeholders",
                                                        "with other accelerators",
                                                        "untranslated",
                                                        "repeated IDs",
                                                        "outside [Label]",
                                                        "with other escapes",
                                                        "with other markup",
                                                        "with other punctuation",
                                                        "with doubled spaces",
                                                        "with other numbers",
                                                        "with URLs missing",
                                                        "with repeated words",
                                                        "inconsistent",
                                                        "misspelled"};
    return kind >= 0 && kind < Mark::kKinds ? kinds[kind] : "";
}

std::string LabelMarks::summary() const
{
    std::string out;
    for (int k = 0; k < Mark::kKinds; ++k) {
        if (m_counts[static_cast<std::size_t>(k)] == 0)
            continue;
        if (!out.empty())
            out += " \xC2\xB7 "; // a middle dot, in UTF-8
        out += std::to_string(m_counts[static_cast<std::size_t>(k)]) + " ";
        out += kindName(k);
    }
    return out;
}

std::vector<std::string> LabelMarks::reasons(int row, int column) const
{
    std::vector<std::string> out;
    const MarkSet marks = at(row, column);
    if (!marks)
        return out;
    const std::string id(Blanks::trim(m_grid.itemText(row, 0)));
    const std::string &file = m_grid.fileName(column);
    if (marks & Mark::RepeatedId)
        out.push_back(id + " stands on an earlier line of " + file + " (row " +
                      std::to_string(frenchRow(id) + 1) + "): every write goes there");
    if (marks & Mark::Missing)
        out.push_back(file + " has no line here");
    std::string key = id;
    if (marks & Mark::OutOfStep) {
        key = lineKey(row, column);
        out.push_back(file + " has " + key + " on this line");
    }
    const int french = frenchRow(key);
    const std::string_view frenchText = french >= 0 ? m_grid.itemText(french, 1) : "";
    const std::string_view text = m_grid.itemText(row, column);
    if (marks & Mark::OtherSection)
        out.push_back(file + " has this line outside its [Label] section: writes never reach it");
    if (marks & Mark::Empty)
        out.push_back("empty where French is not");
    if (marks & Mark::Placeholders)
        for (std::string &d : Placeholders::differences(frenchText, text))
            out.push_back(std::move(d));
    if (marks & Mark::Accelerators)
        out.push_back(std::to_string(Placeholders::accelerators(text)) +
                      " accelerators where French has " +
                      std::to_string(Placeholders::accelerators(frenchText)));
    if (marks & Mark::Untranslated)
        out.push_back("the same as French");
    if (marks & Mark::Inconsistent)
        if (auto bytes = TextCodec(m_page).fromUtf8(inconsistency(row, column)))
            out.push_back(std::move(*bytes));
    if (marks & (Mark::kWarnings | Mark::Escapes | Mark::Markup))
        for (auto &f : textFindings(row, column, markChecks() & ~kBaseChecks))
            if (marks & Mark::of(f.check)) {
                // The checks speak UTF-8; the other phrases quote the files' bytes.
                auto bytes = TextCodec(m_page).fromUtf8(f.message);
                out.push_back(bytes ? std::move(*bytes) : std::move(f.message));
            }
    return out;
}

} // namespace verbolt
