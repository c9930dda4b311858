#pragma once

#include "checkmutes.h"
#include "commandprogress.h"
#include "filevalues.h"
#include "frenchorder.h"
#include "keyindex.h"
#include "keyvalue.h"
#include "labelalign.h"
#include "labelgrid.h"
#include "labelhistory.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "loadprogress.h"
#include "profilefile.h"
#include "result.h"
#include "textcodec.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// A text typed for one language column of a line, and the text the field showed before.
struct FieldEdit
{
    int column;
    std::string text;
    std::string basedOn;
};

/// What another program changed on disk since the session read it or last wrote it.
struct DiskChanges
{
    bool french = false;      // french.lan: the rows themselves
    bool comments = false;    // comments.cmt
    bool files = false;       // a *.lan file came or went: the columns themselves
    std::vector<int> columns; // language columns whose file changed or went
    bool any() const { return french || comments || files || !columns.empty(); }
};

/// A key whose file holds another text now than the one a command was based on: another
/// program changed it since the table was read.
struct Conflict
{
    int column;
    std::string key;
    bool operator==(const Conflict &) const = default;
};

/// What a command changed: the rows whose cells now show other texts, the columns read
/// afresh from their files (a write added or removed lines, so rows show other lines),
/// the keys whose texts changed, and one line per thing that went wrong (UTF-8).
struct CommandOutcome
{
    std::vector<int> rows; // ascending, each once
    std::vector<int> reloadedColumns;
    std::vector<int> writtenColumns;
    std::vector<std::string> keys;
    std::vector<std::string> problems;
    bool rowsChanged = false; // french.lan gained or lost lines: the rows are read again
    bool wrote() const { return !writtenColumns.empty(); }
    /// The problems, a line each, as a message says them.
    std::string problemText() const;
};

/// The texts one command writes to one language column's file, keys as french.lan has them
/// and texts in the folder's code page.
struct ColumnBatch
{
    int column;
    std::vector<KeyValue> writes;
};

/// What one loaded label folder is: its grid, the marks of its cells, the undo history,
/// the folder and its code page, the comments of comments.cmt and where each key's line
/// is in every language column. Its commands take their inputs as values and say what
/// they changed; they never reach a window. Loading another folder makes a new session.
class LabelSession
{
public:
    /// An empty session: no folder, no rows.
    /// An empty session whose folder is listed and whose files are written through `fs`.
    explicit LabelSession(FileSystem &fs = FileSystem::disk());
    /// Loads the label directory `dir` (ending in "/") as at start-up.
    static std::unique_ptr<LabelSession> open(const std::string &dir, LoadProgress &progress,
                                              FileSystem &fs = FileSystem::disk());

    LabelSession(const LabelSession &) = delete;
    LabelSession &operator=(const LabelSession &) = delete;

    const LabelGrid &grid() const { return m_grid; }
    /// The grid to change in place; the commands keep it in step with the files, so only
    /// what stands for a translator's own edit (the benchmarks' rounds) changes it directly.
    LabelGrid &editableGrid() { return m_grid; }
    LabelMarks &marks() { return m_marks; }
    const LabelMarks &marks() const { return m_marks; }
    const LabelHistory &history() const { return m_history; }
    const std::string &dir() const { return m_dir; }
    const TextCodec &codec() const { return m_codec; }
    const LoadResult &load() const { return m_load; }
    /// Takes over the undo history of the session this one replaces (the same folder read
    /// again): its records go by key and file, not by row.
    void adoptHistory(LabelSession &previous) { m_history = std::move(previous.m_history); }
    /// Told between the steps of every command from now on; null: nobody.
    void setProgress(CommandProgress *progress) { m_progress = progress; }
    /// The column an earlier column's file is also the file of (a link to it), or -1. Such
    /// a column is shown but never written: a write would change the other language.
    int sameFileAs(int column) const;
    /// What the window says once after the load (UTF-8): columns that are one file, a folder
    /// without french.lan. Empty when there is nothing to say.
    std::string loadNote() const;

    /// The column whose header is `header`, or -1.
    int columnOf(std::string_view header) const;
    /// The file a column is written to: the one read at start-up, or header + ".lan".
    std::string columnPath(int column) const;

    /// The text of `row`'s key as the column's file holds it: the cell's own text, or, where
    /// the cell shows another line, the text of the line that holds the key.
    std::string keyText(int row, int column);
    /// The first row whose ID is `key`, or -1.
    int frenchRow(std::string_view key);
    /// The comment of a label ID, cut to kCommentLimit bytes on a character boundary.
    std::string comment(std::string_view id) const;
    static constexpr std::size_t kCommentLimit = 999;

    /// Writes the texts of one line (the row's ID as key), one file per column. Texts that
    /// the files cannot store refuse the whole command before anything is written.
    CommandOutcome apply(int row, const std::vector<FieldEdit> &edits,
                         const std::vector<Conflict> &skip = {});
    /// The edits whose key's text in its file is no longer the one the field showed.
    std::vector<Conflict> applyConflicts(int row, const std::vector<FieldEdit> &edits) const;
    /// Copies the French texts of `rows` into the column named `target`, or every language
    /// column for "All"; rows whose ID or text the files cannot hold are named and left.
    /// With `keepTranslations`, a target whose text for a row differs from the French one
    /// (a translation) keeps it: only empty and missing texts are filled.
    /// Keys in `skip` are left as their files hold them (a conflict on FRENCH: the row).
    CommandOutcome duplicate(const std::vector<int> &rows, std::string_view target,
                             bool keepTranslations = false, const std::vector<Conflict> &skip = {});
    /// The rows whose French text french.lan no longer holds (column 1), and the target
    /// texts changed in their files since the table showed them.
    std::vector<Conflict> duplicateConflicts(const std::vector<int> &rows, std::string_view target);
    /// The question a command asks about conflicts (UTF-8), one line per key and file.
    std::string conflictQuestion(const std::vector<Conflict> &conflicts) const;
    /// How many of `rows` hold a translation in a column Duplicate into `target` writes: a
    /// text of the row's key that is not empty and differs from the French text.
    int translatedLines(const std::vector<int> &rows, std::string_view target);
    /// Writes each batch to its column's file in one rewrite, a key the file lacks at its
    /// French place, all as ONE step of undo called `name`. The columns written are then
    /// read again, as a fresh load would show them.
    CommandOutcome writeBatches(const std::string &name, const std::vector<ColumnBatch> &batches);
    /// What putInFrenchOrder would do, a line per language file out of French order
    /// ("german.lan: 12 lines moved, 3 labels added", UTF-8).
    std::vector<std::string> frenchOrderPreview();
    /// Puts every language file out of French order in it (see LabelAlign): ONE step of
    /// undo, which puts every byte back. The columns written are read again.
    CommandOutcome putInFrenchOrder(LabelAlign::Fill fill);

    /// Why `id` and `french` (UTF-8, the ID trimmed) cannot make a new label, or "".
    std::string newLabelProblem(std::string_view id, std::string_view french);
    /// Adds a label: its French line right after the line of `afterRow`'s ID in french.lan
    /// (-1: after the last entry), "ID=" in every language file at its French place. One
    /// step of undo. The rows change: rowsStale() then holds.
    CommandOutcome addLabel(std::string_view id, std::string_view french, int afterRow);
    /// Removes the labels of `rows` from french.lan and every language file: the line each
    /// ID's writes go to (comment lines above it stay). One step of undo.
    CommandOutcome removeLabels(const std::vector<int> &rows);
    /// Why `name` (UTF-8) cannot be a new language, or "".
    std::string newLanguageProblem(std::string_view name) const;
    /// Makes NAME.lan (the name in lower case): "[Label]" and every French ID in French order,
    /// empty or with the French text, CRLF. One step of undo, which takes the file away.
    CommandOutcome addLanguage(std::string_view name, LabelAlign::Fill fill);
    /// Whether a command (or its undo) added or removed lines of french.lan, or a language
    /// file: the grid no longer shows the folder, which is to be read again into a new
    /// session.
    bool rowsStale() const { return m_rowsStale; }
    /// Takes back the last command that wrote something, key by key, byte for byte.
    CommandOutcome undo();
    /// Makes again what the last undo took back.
    CommandOutcome redo();

    /// The first row from `start` on whose cell of `column` holds `text` (upper-cased
    /// compare in the run's code page), or -1. With `shown`, only rows it accepts count.
    int findNext(int start, int column, std::string_view text,
                 const std::function<bool(int)> &shown = {}) const;
    /// The next (or previous) row after `from` with an error or a warning, round the end,
    /// or -1.
    int nextNeedingWork(int from, bool forward, const std::function<bool(int)> &shown = {});

    /// The findings declared right, as checks.ignore held them at the load and since.
    const CheckMutes &mutes() const { return m_mutes; }
    /// Declares `check`'s findings of a language cell right: for its label in its column's
    /// language, or in every language. Writes checks.ignore in the folder (atomically) and
    /// marks the row again. The problem in words (UTF-8) when the file cannot be written,
    /// then nothing is muted; else "".
    std::string muteCheck(int row, int column, Check check, bool everyLanguage);

    /// The paths another program's change to would matter: the folder, every column's file
    /// and comments.cmt.
    std::vector<std::string> watchedPaths() const;
    /// What changed on disk since the load or the session's own last write of each file.
    DiskChanges diskChanges() const;
    /// Reads again the columns and the comments that changed (not the French file or the
    /// folder's list of files: those need a new session). The columns' cells then show
    /// their files as a fresh load would.
    CommandOutcome reload(const DiskChanges &changes);

    /// Whether a write of the row's key to `column` lands on another line than the cell's.
    bool writtenElsewhere(int row, int column);

    /// What a file is on disk now, to tell another program's change from none.
    struct Stamp
    {
        bool exists = false;
        long long size = 0;
        long long mtimeNs = 0;
        unsigned long long inode = 0;
        unsigned long long device = 0;
        bool operator==(const Stamp &) const = default;
    };
    /// A language column's file read again, away from the window's thread.
    struct ColumnRead
    {
        int column = -1;
        std::uint64_t generation = 0; // the state of the session it was read against
        Stamp stamp;                  // the file as it was when the read began
        LabelGrid::LoadedColumn loaded;
    };
    /// Reads a language column's file as a fresh load would, touching nothing of the
    /// session: it may run on another thread, and outlive the session.
    std::function<ColumnRead()> columnReader(int column) const;
    /// Puts a column read by columnReader in place, with the bookkeeping of a reload, unless
    /// a command or another reload changed the session since the read began: then it leaves
    /// everything as it is and returns false (the column is to be read again).
    bool adoptColumn(ColumnRead &&read, CommandOutcome &outcome);

private:
    std::string utf8(std::string_view bytes) const { return m_codec.toUtf8(bytes); }
    /// For each row, the row that shows the line a write of its key to `column` lands on
    /// (-1: none).
    std::vector<int> landingRows(int column, const std::vector<int> &rows);
    /// The language columns Duplicate into `target` writes.
    std::vector<int> targetColumns(std::string_view target) const;
    /// Whether the row's key has, in `column`, a text other than empty or the French one.
    bool translated(int row, int column);
    const KeyIndex &keyIndex(int column);
    /// After writes to `column` that added or removed lines: its cells are read again from
    /// its file, as a fresh load would show them.
    void reloadColumn(int column, CommandOutcome &outcome);
    /// The same for several columns, their files read side by side.
    void reloadColumns(const std::vector<int> &columns, CommandOutcome &outcome);
    /// Builds, side by side, the key indexes of `columns` that a look-up of the IDs of `rows`
    /// will need.
    void indexColumns(const std::vector<int> &columns, const std::vector<int> &rows);
    /// The bookkeeping after a command: marks of changed rows follow, rows sorted.
    void finish(CommandOutcome &outcome);
    /// The end of a command that adds or removes rows or columns: recorded, finished, the
    /// session marked stale.
    CommandOutcome finishRowsCommand(LabelHistory::Command command, CommandOutcome &outcome);
    CommandOutcome exchange(LabelHistory::Command command, bool undo);
    static std::string writeProblem(const Result &result);
    /// The French order, for writes that add keys: made from the French file when first
    /// needed.
    const FrenchOrder &frenchOrder();
    /// The order a write of the IDs of `rows` to `column` needs: the French one when the
    /// column's file lacks one of them or when they are many, else none.
    const FrenchOrder *orderFor(int column, const std::vector<int> &rows);
    /// Tells the progress, if any, that `done` of `total` files are written, `path` next.
    void writing(const std::string &path, int done, int total);
    /// French order with `id` after place `after` (-1: last).
    FrenchOrder withNewLabel(std::string_view id, int after);
    /// Whether `column`'s file holds row's ID in its [Label] section.
    bool holdsInLabel(int row, int column);
    /// Whether a write added or removed lines, so a language column is read afresh.
    static bool addsLines(const FileChanges &changes);

    static Stamp stampOf(const std::string &path);
    /// Whether another program changed a column's file since it was read or written here, by
    /// its size, time, inode and device (as editors tell): after a write to it, the whole
    /// column is read again, its other keys too; before one, its texts are compared with
    /// the table's only when it changed.
    bool changedOnDisk(int column) const;
    /// Names a write refused: the column's file is an earlier column's, shown read-only, or
    /// gone since the load.
    bool refused(int column, CommandOutcome &outcome) const;
    /// The names of the folder's label files, as the load lists them.
    std::vector<std::string> labelFileNames() const;
    void noteWritten(int column)
    {
        m_stamps[static_cast<std::size_t>(column)] = stampOf(columnPath(column));
    }

    FileSystem &m_fs;
    ProfileFile m_writer; // keeps its buffers from one write of a command to the next
    LabelGrid m_grid;
    LabelMarks m_marks;
    CheckMutes m_mutes; // the marks leave out what it mutes
    LabelHistory m_history;
    CommandProgress *m_progress = nullptr;
    LoadResult m_load;
    std::string m_dir;
    TextCodec m_codec;
    std::unique_ptr<FileValues> m_comments;
    std::vector<std::unique_ptr<KeyIndex>> m_keyIndexes; // by column, built when first asked
    std::vector<Stamp> m_stamps;                         // by column, as last read or written
    Stamp m_commentsStamp;
    std::vector<std::string> m_fileNames; // the label files listed at the load
    std::vector<int> m_sameFileAs;        // by column, -1 for its own file
    std::unique_ptr<FrenchOrder> m_frenchOrder;
    bool m_rowsStale = false;
    // Taken afresh by every change of the grid; unique across sessions, so a read begun
    // against one session is never taken for another's.
    std::uint64_t m_generation = nextGeneration();
    static std::uint64_t nextGeneration();
};

} // namespace verbolt
