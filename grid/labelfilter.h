#pragma once

#include "labelgrid.h"
#include "labelmarks.h"
#include "textfold.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace verbolt {

/// Which lines a filter shows before its words are looked at.
enum class ShowLines
{
    All,
    NeedingWork,    // any cell of the line needs work
    NeedingWorkIn,  // the cell of one language column needs work
    UntranslatedIn, // the cell of one language column is missing, empty or the French text
};

struct FilterQuery
{
    std::string text; // UTF-8, as typed: words separated by blanks, all required
    ShowLines show = ShowLines::All;
    int column = -1; // the language column of the *In modes
    bool operator==(const FilterQuery &) const = default;
};

/// The lines of a grid that a filter shows: every word of the query in some column (the ID
/// included), folded with TextFold, and the line allowed by the Show mode. The marks must be
/// computed for the Show modes that use them.
///
/// The result is computed in slices so that typing is never held up; a new query drops the
/// work on the one before (the newest wins), and a query that narrows the shown one (its
/// words contain the shown words, same Show mode) tests only the shown lines. Until a result
/// is complete the one before stays shown. Edits do not change what is shown: a line that
/// stops matching stays until the query changes, so nothing vanishes under the cursor.
///
/// Memory: the shown rows (4 bytes each) and, while computing, the rows found so far.
class LabelFilter
{
public:
    LabelFilter(const LabelGrid &grid, const LabelMarks &marks, CodePage page);

    /// Takes a new query; nothing is computed until computeSome().
    void setQuery(FilterQuery query);
    const FilterQuery &query() const { return m_query; }

    /// Tests up to `budget` more lines; true once the result of the newest query is shown.
    bool computeSome(std::size_t budget);
    void computeAll();
    bool complete() const { return m_complete; }

    /// Whether every line is shown (no words, all lines): rows() is then empty.
    bool showsAll() const { return m_showsAll; }
    /// The shown grid rows, ascending.
    const std::vector<std::uint32_t> &rows() const { return m_shown; }
    std::size_t shownCount() const;
    /// The grid row shown at `index`.
    int gridRow(std::size_t index) const;
    /// Where a grid row is shown, or -1 when it is not.
    int shownIndex(int row) const;

    /// The grid row shown at `index` before the newest result, kept until dropPrevious(), so
    /// that a list can carry its selection over to the new result.
    int previousGridRow(std::size_t index) const;
    void dropPrevious();

    /// The texts of a row changed. What is shown stays; later queries test the row afresh.
    void rowChanged(int row);
    /// Whether a row matches the newest query now.
    bool matches(int row) const;

    /// The bytes its row lists hold now (what it keeps beyond the grid, but a few words).
    std::size_t memoryBytes() const
    {
        return (m_shown.capacity() + m_found.capacity() + m_previous.capacity() +
                m_changed.capacity()) *
                   sizeof(std::uint32_t) +
               m_marked.capacity() * sizeof(std::uint64_t);
    }

private:
    static std::vector<std::string> words(const std::string &text);
    bool narrows(const FilterQuery &shown, const std::vector<std::string> &shownWords) const;
    bool showModeAllows(int row) const;
    void finish();
    /// Searches whole columns for the scan word, marking the rows it stands in; true once
    /// every column is searched. Takes from `budget`.
    bool scanSome(std::size_t &budget);
    /// The first row at or after `row` the scan marked, or m_endRow.
    std::uint32_t nextMarked(std::uint32_t row) const;

    const LabelGrid &m_grid;
    const LabelMarks &m_marks;
    TextFold m_fold;

    FilterQuery m_query;
    std::vector<std::string> m_words;      // the newest query's, folded
    std::vector<char> m_keys;              // per word a rare letter of it, or 0
    std::vector<char> m_keyAccented;       // per word whether its key has accented forms
    mutable std::vector<char> m_wordFound; // per word, while a line is tested

    // What is shown, and the query it was computed for.
    FilterQuery m_shownQuery;
    std::vector<std::string> m_shownWords;
    std::vector<std::uint32_t> m_shown;
    bool m_showsAll = true;
    int m_shownRowCount = 0;               // grid rows when it was computed
    std::vector<std::uint32_t> m_changed;  // rows edited since, sorted
    std::vector<std::uint32_t> m_previous; // what was shown before, until dropped
    bool m_previousShowsAll = true;
    bool m_changedWhileComputing = false;

    // The result being computed: over every row, or over the shown rows, the changed rows
    // and the rows added since.
    std::vector<std::uint32_t> m_found;
    bool m_complete = true;
    bool m_narrowing = false;
    std::size_t m_nextShown = 0;
    std::size_t m_nextChanged = 0;
    std::uint32_t m_nextRow = 0;
    int m_endRow = 0;
    bool m_nextShowsAll = true;
    mutable std::vector<char> m_scratch; // a cell folded, grown to the longest cell

    // A fresh query first searches each column's bytes whole for one word, by a letter of it
    // that only its own two cases fold to (TextFold::findKey); then only the rows it stands
    // in are tested. Most cells are then never folded, nor even looked at one by one.
    bool m_scanning = false;             // searching the columns
    bool m_scanned = false;              // the rows to test are the marked ones
    std::size_t m_scanWord = 0;          // the word searched for
    std::size_t m_scanAt = 0;            // the place of its key in it
    int m_scanColumn = 0;                // the column being searched, 0 the IDs
    std::uint32_t m_scanRow = 0;         // the next row of that column
    std::size_t m_nextHit = 0;           // the next place of the key in that column's bytes
    std::vector<std::uint64_t> m_marked; // a bit per row: the word may stand in it
};

} // namespace verbolt
