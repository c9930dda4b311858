#pragma once

#include "filesystem.h"
#include "labelgrid.h"
#include "loadprogress.h"
#include "result.h"
#include "textcodec.h"

#include <climits>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace verbolt {

/// A label file the load treated apart, and why (a sentence ending without a full stop).
struct ColumnNote
{
    std::string fileName; // as found on disk
    std::string why;
};

/// What the start-up load found besides the grid itself.
struct LoadResult
{
    bool loaded = false;             // french.lan was read
    Result listing = Result::done(); // the folder's listing: when not whole, what was loads
    std::string frenchName;          // french.lan's name on disk, also when it could not be read
    CodePage codePage = CodePage::Windows1252;
    std::vector<std::string> dupTargets;       // "", each language but FRENCH, "All"
    std::vector<std::string> findColumns;      // every language, FRENCH included
    std::string commentsName = "comments.cmt"; // the comment file's name on disk
    std::vector<ColumnNote> unread;            // not read: their columns stay empty
    std::vector<ColumnNote> readOnly;          // shown, but no write may touch them
    Result rows = Result::done(); // TooLarge: french.lan has more labels than the table
                                  // holds, and nothing was loaded
};

/// The start-up load: reads french.lan and every further *.lan file of the label directory
/// into a LabelGrid, reporting progress as it goes.
class LabelLoader
{
public:
    /// A loader whose folder is listed through `fs`.
    LabelLoader(LabelGrid &grid, LoadProgress &progress, FileSystem &fs = FileSystem::disk())
        : m_grid(grid), m_progress(progress), m_fs(fs)
    {}

    /// Loads the directory `dir` (ending in "/") into the grid, which must be empty.
    LoadResult LoadAllLabels(const std::string &dir);

    /// Lines a file's progress counts (every line but those starting with NUL, ";", "[").
    static int CountLabelLines(std::string_view bytes);
    /// Reads the entry lines of a file's bytes into a column: column 1 creates the rows
    /// with their IDs, any later column is filled by position.
    void LoadLanguageColumn(ByteBuffer &&bytes, int column);
    void LoadLanguageColumn(std::string_view bytes, int column)
    {
        LoadLanguageColumn(ByteBuffer(bytes), column);
    }
    /// A language column's cells from its file's bytes, by position for `rows` rows: what
    /// LoadLanguageColumn puts in a grid, made without one.
    static LabelGrid::LoadedColumn ReadLanguageColumn(ByteBuffer &&bytes, int rows,
                                                      LoadProgress &progress);

    /// The most rows the table takes; a French file of more labels is refused whole. Lower
    /// only to try the refusal.
    void setRowLimit(std::size_t rows) { m_rowLimit = rows; }
    /// Language files for which `keep` (given the name on disk) says no are read for the
    /// code page and their notes, but their columns stay empty: a command that needs one
    /// language of many holds only that one in memory.
    void keepOnly(std::function<bool(std::string_view fileName)> keep) { m_keep = std::move(keep); }
    /// With `false`, the notes (LoadResult::readOnly) of the files keepOnly leaves out are
    /// not wanted: once the kept files settle the code page, those files are not read at all.
    void setNotesWanted(bool wanted) { m_notes = wanted; }

    /// Reads the files, and parses the language files beside the French one, on `threads`
    /// threads; the progress hears only the start of each file. For a command's load.
    void setThreads(int threads) { m_threads = threads; }
    /// The language name of a file: the name without its extension, upper-cased.
    static std::string languageName(std::string_view fileName, const TextCodec &codec);

private:
    LabelGrid &m_grid;
    LoadProgress &m_progress;
    FileSystem &m_fs;
    int m_frenchLines = -1; // CountLabelLines of the French file, once LoadAllLabels has it
    std::size_t m_rowLimit = INT_MAX - 1; // rows are counted in int
    std::function<bool(std::string_view)> m_keep;
    bool m_notes = true;
    int m_threads = 1;
};

} // namespace verbolt
