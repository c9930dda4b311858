#pragma once

#include "labelgrid.h"
#include "textchecks.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

class CheckMutes;

/// Why a cell needs a look; a cell may have several marks.
struct Mark
{
    enum : std::uint32_t
    {
        OutOfStep = 1 << 0,    // its line holds another key than the row's ID
        Missing = 1 << 1,      // its file has fewer entry lines: no line for this row
        Empty = 1 << 2,        // empty where the French text is not
        Placeholders = 1 << 3, // its placeholders differ from the French text's
        Accelerators = 1 << 4, // another number of accelerators than the French text
        Untranslated = 1 << 5, // the same as the French text (a weak mark: "OK" may be right)
        RepeatedId = 1 << 6,   // French column: the ID stands on an earlier line too
        OtherSection = 1 << 7, // its line stands in a section other than [Label]: writes
                               // never reach it
        Escapes = 1 << 8,      // its escapes (backslash n, t ...) differ from the French text's
        Markup = 1 << 9,       // its tags differ from the French text's
        Punctuation = 1 << 10, // warnings from here on: worth a look, may be right
        Spaces = 1 << 11,
        Numbers = 1 << 12,
        Urls = 1 << 13,
        Repeated = 1 << 14,
        Inconsistent = 1 << 15,
        Spelling = 1 << 16,
    };
    static constexpr int kKinds = 17;
    /// The marks that say the cell is wrong in the product (Empty among them, as the window
    /// has always shown it).
    static constexpr std::uint32_t kNeedsWork = 0x3FF & ~Untranslated;
    /// The lighter marks: the cell is worth a look.
    static constexpr std::uint32_t kWarnings =
        Punctuation | Spaces | Numbers | Urls | Repeated | Inconsistent | Spelling;
    /// The mark a check's finding sets.
    static std::uint32_t of(Check check);
};
using MarkSet = std::uint32_t;

/// The marks of every cell of a loaded grid, one byte per cell. Language cells (column 2
/// on) are compared with the French line of the same key: keys compare as the writer
/// compares them, trimmed and without ASCII letter case. Computed in slices, so a window
/// can show itself first and fill the marks in as they come.
class LabelMarks
{
public:
    explicit LabelMarks(const LabelGrid &grid);

    /// The code page the texts are in (Windows-1252 until told).
    void setCodePage(CodePage page)
    {
        m_page = page;
        m_checks = TextChecks(page);
        m_checks.setWordChecker(m_words);
    }
    /// The dictionaries that mark misspelled words; none (the default) marks none. Set it
    /// before computing.
    void setWordChecker(WordChecker *words)
    {
        m_words = words;
        m_wordsReady = false;
        m_checks.setWordChecker(words);
    }

    /// The findings declared right: their marks are left out. None (the default) leaves out
    /// none. Set it before computing; after a change, refresh the rows it concerns.
    void setMutes(const CheckMutes *mutes) { m_mutes = mutes; }

    /// Starts over on what the grid holds now (after a load); nothing is computed yet.
    /// `between` is called now and then, so that a window can repaint meanwhile.
    void restart(const std::function<void()> &between = {});
    /// Starts the language columns over (one was read again); the French file's index,
    /// unchanged, stays.
    void restartLanguages();

    /// Computes the marks of up to `rows` more rows; true once every row has them.
    bool computeSome(int rows);
    /// With `threads` above one, the language columns are shared out among that many
    /// threads, each with checks of its own: the word checker is asked from all of them.
    void computeAll(int threads = 1);
    /// Indexes the French IDs and texts only: what the language cells are compared with.
    void indexFrench();
    /// For a report that walks each language file itself, one thread a column, the rows in
    /// order, after `indexFrench`: the marks of the cell of `row` in `column` whose line has
    /// `key` (`inLabel`: in a [Label] section), kept as that cell's marks (they are not
    /// counted). With text marks off, those of the files' order and of inconsistency; else
    /// the text checks are run with the thread's `checks`.
    MarkSet markLine(int row, int column, std::string_view key, bool inLabel, TextChecks &checks,
                     std::vector<TextChecks::Finding> &scratch);
    /// The same for a cell whose file has no line for it.
    void markMissing(int row, int column);
    /// Whether the row's language cells have their order marks (out of step, missing,
    /// outside [Label]): those stay while texts change.
    bool hasOrderMarks(int row) const
    {
        return m_phase == Phase::Done || (m_phase == Phase::Languages && row < m_next);
    }
    /// Whether the marks wait for a dictionary still being read: computeSome does nothing
    /// meanwhile, so that its caller can go on with something else.
    bool waitingForWords() const;
    /// Whether every cell has its marks (none waits to be computed again).
    bool complete() const { return m_phase == Phase::Done && m_pending.empty(); }

    /// The marks of a cell; none for a row not computed yet.
    MarkSet at(int row, int column) const;
    /// Whether any cell of the row has a mark other than the weak one.
    bool needsWork(int row) const;
    /// Whether any cell of the row has an error or a warning.
    bool hasFinding(int row) const;
    /// Computes again the marks of a row whose texts changed (its lines' keys stay).
    void refreshRow(int row);
    /// The same for many rows, computed with the rest, a slice at a time (`computeSome`):
    /// until then they keep the marks they had.
    void refreshLater(const std::vector<int> &rows);
    /// After the rows' texts changed: the inconsistent marks of the other rows whose French
    /// text is one of theirs, each such group once.
    void refreshSameText(const std::vector<int> &rows);
    /// The inconsistent check of a language cell: the translation the first row of the same
    /// French text has in that column, when this cell's differs ("translated "Open" at
    /// IDS_OPEN for the same French text"); empty when they agree or cannot be compared.
    std::string inconsistency(int row, int column) const;

    /// Cells by mark, in the order of Mark's bits.
    const std::array<std::size_t, Mark::kKinds> &counts() const { return m_counts; }
    /// "12 out of step · 40 missing · 310 untranslated"; empty when nothing is marked.
    std::string summary() const;
    /// How the summary names the cells of a mark, by its bit's index ("out of step").
    static std::string_view kindName(int kind);
    /// Why a cell is marked, one phrase per mark, in bytes of the run's code page.
    std::vector<std::string> reasons(int row, int column) const;
    /// The text checks' findings of a language cell against the French text of its line's
    /// key, for the checks in `checks`.
    std::vector<TextChecks::Finding> textFindings(int row, int column,
                                                  CheckMask checks = kAllChecks) const;
    /// The same with checks of the caller's own (one a thread, copied from `textChecks`),
    /// appended to `out`; `sides`, if given, holds what each French row's text holds.
    void textFindings(int row, int column, CheckMask checks, TextChecks &with,
                      std::vector<TextChecks::Finding> &out,
                      const std::vector<TextChecks::FrenchSide> *sides = nullptr) const;
    /// Whether the text checks (empty to spelling) set marks; on until told. A report that
    /// compares every cell itself for its findings turns them off: the marks are then those
    /// of the files' order and of inconsistent translations.
    void setTextMarks(bool on) { m_textMarks = on; }
    /// The checks whose findings set marks of their own.
    CheckMask markChecks() const;
    /// The checks the marks are computed with (code page, word checker).
    const TextChecks &textChecks() const { return m_checks; }

    /// The first row whose ID is `key`, or -1.
    int frenchRow(std::string_view key) const;
    /// The key of the line that a language cell shows, as its file holds it.
    std::string lineKey(int row, int column) const;
    /// For each key, the row that shows the first line of `column`'s file holding it, or -1;
    /// one pass over the file's bytes for all of them.
    std::vector<int> rowsOfKeys(int column, const std::vector<std::string_view> &keys) const;

private:
    enum class Phase
    {
        French,    // indexing the IDs
        Languages, // comparing the language lines
        Done
    };
    // Where the comparison stands in one file's bytes.
    struct Cursor
    {
        std::size_t pos = 0;
        bool inScope = true; // in a [Label] section, or before the first section header
    };

    void startCursors();
    void startTexts();
    /// `marks` without those of the checks muted for `id` in `column`.
    MarkSet unmuted(std::string_view id, int column, MarkSet marks) const;
    // One language column whole, its cells not computed yet; its marks are added to `counts`.
    void computeColumn(int column, TextChecks &checks, std::vector<TextChecks::Finding> &scratch,
                       std::array<std::size_t, Mark::kKinds> &counts);
    MarkSet cellMarks(int row, int column, std::string_view lineKey) const
    {
        return cellMarks(row, column, lineKey, m_checks, m_scratch);
    }
    MarkSet cellMarks(int row, int column, std::string_view lineKey, TextChecks &checks,
                      std::vector<TextChecks::Finding> &scratch) const;
    MarkSet textMarks(int french, int row, int column, TextChecks &checks,
                      std::vector<TextChecks::Finding> &scratch) const;
    // The first row of the ID of `row`.
    int idRow(int row) const;
    // The French text of a row joins the group of the rows with the same text (accelerator
    // marks and blanks around set aside).
    void groupFrenchText(int row);
    // The row of the same French text that `row`'s cell in `column` is compared with: the
    // first of the group whose cell is translated and in step; -1 when none comes before.
    int sameTextReference(int row, int column) const;
    bool comparable(int row, int column) const;
    MarkSet inconsistentMark(int row, int column) const;
    void set(int row, int column, MarkSet marks);
    std::size_t slot(std::string_view key) const;

    const LabelGrid &m_grid;
    Phase m_phase = Phase::French;
    int m_next = 0;                            // the next row to compute in this phase
    std::vector<std::vector<MarkSet>> m_marks; // by column, then row
    // Hash slots of the French IDs, row + 1: four bytes a slot, the ID itself read from the
    // grid (a FoldedKeySet would keep a view of every ID too, at a million rows).
    std::vector<std::uint32_t> m_ids;
    // While comparing (and after a threaded computeAll): the first row of each row's own ID
    // (kLookUp: ask m_ids), learnt as the IDs are indexed, so that a cell in step costs no
    // look-up.
    static constexpr std::int32_t kLookUp = -2;
    std::vector<std::int32_t> m_idRows;
    // Rows whose French texts are the same: for each row the group's first row (-1: the row
    // is first, or alone) and the group's next row (-1: none). The hash slots (last row of
    // each text + 1) are kept while the French file is indexed.
    std::vector<std::int32_t> m_firstSame;
    std::vector<std::int32_t> m_nextSame;
    std::vector<std::uint32_t> m_texts;
    bool m_textsApart = false;     // the texts are grouped on another thread
    std::vector<int> m_pending;    // rows whose texts changed, to compute again
    std::vector<Cursor> m_cursors; // by column, while comparing
    std::array<std::size_t, Mark::kKinds> m_counts{};
    WordChecker *m_words = nullptr;
    mutable bool m_wordsReady = false; // every language's dictionary read, once seen
    const CheckMutes *m_mutes = nullptr;
    CodePage m_page = CodePage::Windows1252;
    bool m_textMarks = true;
    mutable TextChecks m_checks;                        // scratch buffers kept between cells
    mutable std::vector<TextChecks::Finding> m_scratch; // the same
};

} // namespace verbolt
