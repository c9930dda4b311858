#include "labelfilter.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace verbolt {

namespace {

// Letters and digits, the rarest in texts first.
constexpr std::string_view rarestFirst = "qjxzkvwbpfgyhmcldurnsotaie9876543210";

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

LabelFilter::LabelFilter(const LabelGrid &grid, const LabelMarks &marks, CodePage page)
    : m_grid(grid), m_marks(marks), m_fold(page), m_shownRowCount(grid.rowCount())
{}

std::vector<std::string> LabelFilter::words(const std::string &text)
{
    const std::string folded = TextFold::foldUtf8(text);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < folded.size();) {
        while (i < folded.size() && isBlank(folded[i]))
            ++i;
        std::size_t end = i;
        while (end < folded.size() && !isBlank(folded[end]))
            ++end;
        if (end > i)
            out.push_back(folded.substr(i, end - i));
        i = end;
    }
    return out;
}

bool LabelFilter::narrows(const FilterQuery &shown,
                          const std::vector<std::string> &shownWords) const
{
    if (shown.show != m_query.show || shown.column != m_query.column)
        return false;
    // Every line the new words match holds each shown word inside one of the new words.
    return std::all_of(shownWords.begin(), shownWords.end(), [&](const std::string &old) {
        return std::any_of(m_words.begin(), m_words.end(),
                           [&](const std::string &w) { return w.find(old) != std::string::npos; });
    });
}

void LabelFilter::setQuery(FilterQuery query)
{
    m_query = std::move(query);
    m_words = words(m_query.text);
    // Per word its rarest letter or digit, best one without accented forms: a cell without
    // it is passed over without folding it.
    m_keys.assign(m_words.size(), 0);
    m_keyAccented.assign(m_words.size(), 0);
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        std::size_t best = 2 * rarestFirst.size();
        for (const char c : m_words[i])
            if (const std::size_t at = rarestFirst.find(c); at != std::string_view::npos) {
                const std::size_t rank = at + (m_fold.hasAccentedForms(c) ? rarestFirst.size() : 0);
                if (rank < best) {
                    m_keys[i] = c;
                    m_keyAccented[i] = m_fold.hasAccentedForms(c);
                    best = rank;
                }
            }
    }
    m_found.clear();
    m_nextShown = m_nextChanged = 0;
    m_nextRow = 0;
    m_endRow = m_grid.rowCount();
    m_changedWhileComputing = false;
    m_nextShowsAll = m_words.empty() && m_query.show == ShowLines::All;
    m_narrowing = !m_nextShowsAll && !m_showsAll && narrows(m_shownQuery, m_shownWords);
    if (m_narrowing)
        m_nextRow = static_cast<std::uint32_t>(m_shownRowCount); // then the rows added since
    // A fresh query searches the columns whole for the word with the rarest letter that no
    // accented letter folds to; without such a letter every row is tested.
    m_scanning = m_scanned = false;
    m_marked = {};
    // The search's bit per row comes on top of the shown rows and the rows found (four bytes
    // each): with nearly every row shown already, it would take the filter past eight bytes
    // a label, and every row is tested instead.
    const bool roomForBits =
        m_showsAll || m_shown.size() <= static_cast<std::size_t>(m_endRow) / 32 * 31;
    if (!m_narrowing && !m_nextShowsAll && roomForBits) {
        std::size_t best = rarestFirst.size();
        for (std::size_t i = 0; i < m_words.size(); ++i)
            for (std::size_t j = 0; j < m_words[i].size(); ++j) {
                const char c = m_words[i][j];
                const std::size_t rank = rarestFirst.find(c);
                if (rank < best && !m_fold.hasAccentedForms(c)) {
                    best = rank;
                    m_scanWord = i;
                    m_scanAt = j;
                }
            }
        if (best < rarestFirst.size()) {
            m_scanning = true;
            m_scanColumn = 0;
            m_scanRow = 0;
            m_nextHit = 0;
            m_marked.assign((static_cast<std::size_t>(m_endRow) + 63) / 64, 0);
        }
    }
    m_complete = false;
    if (m_nextShowsAll)
        finish();
}

bool LabelFilter::showModeAllows(int row) const
{
    switch (m_query.show) {
    case ShowLines::All:
        return true;
    case ShowLines::NeedingWork:
        return m_marks.needsWork(row);
    case ShowLines::NeedingWorkIn:
        return (m_marks.at(row, m_query.column) & Mark::kNeedsWork) != 0;
    case ShowLines::UntranslatedIn:
        return (m_marks.at(row, m_query.column) &
                (Mark::Missing | Mark::Empty | Mark::Untranslated)) != 0;
    }
    return true;
}

bool LabelFilter::matches(int row) const
{
    if (row < 0 || row >= m_grid.rowCount() || !showModeAllows(row))
        return false;
    if (m_words.empty())
        return true;
    // Each word within one cell; a cell is folded only when it may hold a word's key.
    m_wordFound.assign(m_words.size(), 0);
    std::size_t left = m_words.size();
    for (int c = 0; c < m_grid.columnCount(); ++c) {
        const std::string_view text = m_grid.itemText(row, c);
        if (text.empty())
            continue;
        std::string_view folded;
        bool isFolded = false;
        for (std::size_t i = 0; i < m_words.size(); ++i) {
            if (m_wordFound[i] ||
                (m_keys[i] && !TextFold::mayHold(text, m_keys[i], m_keyAccented[i])))
                continue;
            if (!isFolded) {
                if (m_scratch.size() < text.size() * TextFold::kMaxPerByte)
                    m_scratch.resize(text.size() * TextFold::kMaxPerByte * 2);
                folded = {m_scratch.data(), m_fold.foldInto(text, m_scratch.data())};
                isFolded = true;
            }
            if (folded.find(m_words[i]) != std::string_view::npos) {
                m_wordFound[i] = 1;
                if (--left == 0)
                    return true;
            }
        }
    }
    return false;
}

bool LabelFilter::computeSome(std::size_t budget)
{
    if (m_complete)
        return true;
    const auto test = [&](std::uint32_t row) {
        if (matches(static_cast<int>(row)))
            m_found.push_back(row);
    };
    if (m_narrowing) {
        // The shown rows and the changed ones, merged in ascending order.
        while (budget > 0 && (m_nextShown < m_shown.size() || m_nextChanged < m_changed.size())) {
            const bool fromShown =
                m_nextChanged >= m_changed.size() ||
                (m_nextShown < m_shown.size() && m_shown[m_nextShown] <= m_changed[m_nextChanged]);
            const std::uint32_t row = fromShown ? m_shown[m_nextShown] : m_changed[m_nextChanged];
            if (fromShown) {
                ++m_nextShown;
                if (m_nextChanged < m_changed.size() && m_changed[m_nextChanged] == row)
                    ++m_nextChanged;
            } else {
                ++m_nextChanged;
            }
            test(row);
            --budget;
        }
        if (m_nextShown < m_shown.size() || m_nextChanged < m_changed.size())
            return false;
    }
    if (m_scanning) {
        if (!scanSome(budget))
            return false;
        m_scanning = false;
        m_scanned = true;
        // Room for every row the search marked and no more: the result holds at most that.
        std::size_t marked = 0;
        for (const std::uint64_t bits : m_marked)
            marked += static_cast<std::size_t>(std::popcount(bits));
        m_found.reserve(marked);
    }
    for (; budget > 0 && static_cast<int>(m_nextRow) < m_endRow; --budget) {
        if (m_scanned &&
            (m_nextRow = nextMarked(m_nextRow)) >= static_cast<std::uint32_t>(m_endRow))
            break;
        test(m_nextRow++);
    }
    if (static_cast<int>(m_nextRow) < m_endRow)
        return false;
    finish();
    return true;
}

bool LabelFilter::scanSome(std::size_t &budget)
{
    // A row test looks at every column; a cell here costs far less than that.
    std::size_t cells = budget * 8;
    const std::string_view word = m_words[m_scanWord];
    const char key = word[m_scanAt];
    const auto rows = static_cast<std::uint32_t>(m_endRow);
    // A column read again between two slices has other bytes: the search goes on from the
    // next cell's start, not from a place found in the old ones.
    m_nextHit = 0;
    for (; m_scanColumn < m_grid.columnCount(); ++m_scanColumn, m_scanRow = 0, m_nextHit = 0) {
        const std::string_view bytes = m_grid.columnBytes(m_scanColumn);
        for (; m_scanRow < rows; ++m_scanRow) {
            if (cells == 0) {
                budget = 0;
                return false;
            }
            --cells;
            std::uint64_t &bits = m_marked[m_scanRow / 64];
            const std::uint64_t bit = std::uint64_t(1) << (m_scanRow % 64);
            const CellSpans::Span s = m_grid.cellSpan(static_cast<int>(m_scanRow), m_scanColumn);
            if (s.length == 0 || (bits & bit))
                continue;
            if (s.edited) { // its text is elsewhere: the row is tested as it stands
                bits |= bit;
                continue;
            }
            if (m_nextHit < s.offset)
                m_nextHit = TextFold::findKey(bytes, s.offset, key);
            const std::size_t end = s.offset + s.length;
            const std::string_view cell = bytes.substr(s.offset, s.length);
            for (; m_nextHit < end; m_nextHit = TextFold::findKey(bytes, m_nextHit + 1, key))
                if (m_fold.matchesAt(cell, m_nextHit - s.offset, word, m_scanAt)) {
                    bits |= bit;
                    break;
                }
        }
    }
    budget = cells / 8;
    return true;
}

std::uint32_t LabelFilter::nextMarked(std::uint32_t row) const
{
    std::size_t w = row / 64;
    if (w >= m_marked.size())
        return static_cast<std::uint32_t>(m_endRow);
    std::uint64_t bits = m_marked[w] & (~std::uint64_t(0) << (row % 64));
    while (bits == 0) {
        if (++w >= m_marked.size())
            return static_cast<std::uint32_t>(m_endRow);
        bits = m_marked[w];
    }
    return static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
}

void LabelFilter::computeAll()
{
    while (!computeSome(1 << 20)) {
    }
}

void LabelFilter::finish()
{
    m_shownQuery = m_query;
    m_shownWords = m_words;
    m_previousShowsAll = std::exchange(m_showsAll, m_nextShowsAll);
    m_previous = std::exchange(m_shown, std::move(m_found));
    m_found = {};
    m_shownRowCount = m_endRow;
    // Rows edited before this computation began were tested with their present texts.
    if (!m_changedWhileComputing)
        m_changed.clear();
    m_complete = true;
}

std::size_t LabelFilter::shownCount() const
{
    return m_showsAll ? static_cast<std::size_t>(m_grid.rowCount()) : m_shown.size();
}

int LabelFilter::gridRow(std::size_t index) const
{
    if (m_showsAll)
        return index < static_cast<std::size_t>(m_grid.rowCount()) ? static_cast<int>(index) : -1;
    return index < m_shown.size() ? static_cast<int>(m_shown[index]) : -1;
}

int LabelFilter::previousGridRow(std::size_t index) const
{
    if (m_previousShowsAll)
        return index < static_cast<std::size_t>(m_grid.rowCount()) ? static_cast<int>(index) : -1;
    return index < m_previous.size() ? static_cast<int>(m_previous[index]) : -1;
}

void LabelFilter::dropPrevious()
{
    m_previous = {};
    m_previousShowsAll = m_showsAll;
}

int LabelFilter::shownIndex(int row) const
{
    if (row < 0 || row >= m_grid.rowCount())
        return -1;
    if (m_showsAll)
        return row;
    const auto it =
        std::lower_bound(m_shown.begin(), m_shown.end(), static_cast<std::uint32_t>(row));
    return it != m_shown.end() && *it == static_cast<std::uint32_t>(row)
               ? static_cast<int>(it - m_shown.begin())
               : -1;
}

void LabelFilter::rowChanged(int row)
{
    if (row < 0)
        return;
    const auto r = static_cast<std::uint32_t>(row);
    const auto it = std::lower_bound(m_changed.begin(), m_changed.end(), r);
    if (it == m_changed.end() || *it != r) {
        // A narrowing computation walks this list: an insertion before its place is skipped,
        // so the row is tested afresh by the next query instead.
        const std::size_t at = static_cast<std::size_t>(it - m_changed.begin());
        m_changed.insert(it, r);
        if (!m_complete && m_narrowing && at < m_nextChanged)
            ++m_nextChanged;
    }
    if (!m_complete)
        m_changedWhileComputing = true;
}

} // namespace verbolt
