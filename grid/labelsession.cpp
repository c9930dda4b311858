#include "labelsession.h"

#include "asciifold.h"
#include "blanks.h"
#include "filepath.h"
#include "filereader.h"
#include "frenchorder.h"
#include "labelalign.h"
#include "labeldirectory.h"
#include "labelreader.h"
#include "parallel.h"
#include "profileedit.h"
#include "profilefile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace verbolt {

LabelSession::LabelSession(FileSystem &fs)
    : m_fs(fs), m_writer(fs), m_marks(m_grid), m_codec(CodePage::Windows1252),
      m_comments(std::make_unique<FileValues>())
{}

std::unique_ptr<LabelSession> LabelSession::open(const std::string &dir, LoadProgress &progress,
                                                 FileSystem &fs)
{
    auto s = std::make_unique<LabelSession>(fs);
    s->m_dir = dir;
    if (!dir.empty())
        s->m_load = LabelLoader(s->m_grid, progress, fs).LoadAllLabels(dir);
    s->m_codec = TextCodec(s->m_load.codePage);
    s->m_marks.setCodePage(s->m_load.codePage);
    // The findings declared right travel with the labels; a file that cannot be read mutes
    // nothing, as --check reads it.
    if (!dir.empty())
        (void)s->m_mutes.read(dir);
    s->m_marks.setMutes(&s->m_mutes);
    s->m_marks.restart([&progress] { progress.KeepPainted(); });
    s->m_keyIndexes.resize(static_cast<std::size_t>(std::max(s->m_grid.columnCount(), 0)));
    // The comments are read once, the loading window repainted on the way; a comment file
    // that cannot be read has no comments.
    if (!dir.empty())
        s->m_comments =
            FileValues::read(LabelDirectory::resolve(dir, s->m_load.commentsName, "comments.cmt"),
                             dir, {}, [&progress] { progress.KeepPainted(); });
    // What the files were as read: a later change of one is another program's. (A change
    // between the read and this stat is taken for the read's: the window of a load.)
    s->m_stamps.resize(s->m_keyIndexes.size());
    for (int c = 1; c < s->m_grid.columnCount(); ++c)
        s->noteWritten(c);
    s->m_sameFileAs.assign(s->m_keyIndexes.size(), -1);
    for (int c = 2; c < s->m_grid.columnCount(); ++c) {
        const Stamp mine = s->m_stamps[static_cast<std::size_t>(c)];
        for (int earlier = 1; earlier < c && mine.exists; ++earlier) {
            const Stamp &theirs = s->m_stamps[static_cast<std::size_t>(earlier)];
            if (theirs.exists && theirs.device == mine.device && theirs.inode == mine.inode) {
                s->m_sameFileAs[static_cast<std::size_t>(c)] = earlier;
                break;
            }
        }
    }
    if (!dir.empty()) {
        s->m_commentsStamp =
            stampOf(LabelDirectory::resolve(dir, s->m_load.commentsName, "comments.cmt"));
        s->m_fileNames = s->labelFileNames();
    }
    return s;
}

LabelSession::Stamp LabelSession::stampOf(const std::string &path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {true, static_cast<long long>(st.st_size),
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
            static_cast<unsigned long long>(st.st_ino), static_cast<unsigned long long>(st.st_dev)};
}

int LabelSession::sameFileAs(int column) const
{
    return column >= 0 && static_cast<std::size_t>(column) < m_sameFileAs.size()
               ? m_sameFileAs[static_cast<std::size_t>(column)]
               : -1;
}

std::string LabelSession::loadNote() const
{
    if (!m_load.rows.ok())
        return utf8(m_load.frenchName) +
               " holds more labels than the table can hold: nothing was loaded.";
    if (!m_dir.empty() && m_load.listing.ok() && !m_load.loaded)
        return m_load.frenchName.empty()
                   ? "This folder has no french.lan: there are no labels to show."
                   : utf8(m_load.frenchName) + " cannot be read: there are no labels to show.";
    std::string note;
    const auto add = [&note](const std::string &line) {
        if (!note.empty())
            note += ' ';
        note += line;
    };
    for (const ColumnNote &n : m_load.unread)
        add(utf8(n.fileName) + " was not read (" + n.why + ").");
    for (const ColumnNote &n : m_load.readOnly)
        add(utf8(n.fileName) + " is shown read-only (" + n.why + ").");
    for (int c = 2; c < m_grid.columnCount(); ++c)
        if (const int other = sameFileAs(c); other >= 0) {
            if (!note.empty())
                note += ' ';
            note += utf8(m_grid.fileName(c)) + " is the same file as " +
                    utf8(m_grid.fileName(other)) + ": its column is never written.";
        }
    return note;
}

std::vector<std::string> LabelSession::labelFileNames() const
{
    std::vector<std::string> names;
    for (const LabelFileEntry &e : LabelDirectory::list(m_dir, m_fs).entries)
        names.push_back(e.name);
    return names;
}

std::vector<std::string> LabelSession::watchedPaths() const
{
    std::vector<std::string> paths;
    if (m_dir.empty())
        return paths;
    paths.push_back(m_dir);
    for (int c = 1; c < m_grid.columnCount(); ++c)
        paths.push_back(columnPath(c));
    paths.push_back(LabelDirectory::resolve(m_dir, m_load.commentsName, "comments.cmt"));
    return paths;
}

DiskChanges LabelSession::diskChanges() const
{
    DiskChanges changes;
    if (m_dir.empty())
        return changes;
    changes.files = labelFileNames() != m_fileNames;
    for (int c = 1; c < m_grid.columnCount(); ++c) {
        if (stampOf(columnPath(c)) == m_stamps[static_cast<std::size_t>(c)])
            continue;
        if (c == 1)
            changes.french = true;
        else
            changes.columns.push_back(c);
    }
    changes.comments = stampOf(LabelDirectory::resolve(m_dir, m_load.commentsName,
                                                       "comments.cmt")) != m_commentsStamp;
    return changes;
}

CommandOutcome LabelSession::reload(const DiskChanges &changes)
{
    CommandOutcome outcome;
    for (const int c : changes.columns)
        reloadColumn(c, outcome);
    if (changes.comments) {
        const std::string path =
            LabelDirectory::resolve(m_dir, m_load.commentsName, "comments.cmt");
        m_commentsStamp = stampOf(path);
        m_comments = FileValues::read(path, m_dir);
    }
    return outcome;
}

int LabelSession::columnOf(std::string_view header) const
{
    for (int c = 0; const auto h = m_grid.header(c); ++c)
        if (*h == header)
            return c;
    return -1;
}

std::string LabelSession::columnPath(int column) const
{
    const std::string header(m_grid.header(column).value_or(""));
    return LabelDirectory::resolve(m_dir, m_grid.fileName(column), header + ".lan");
}

bool LabelSession::writtenElsewhere(int row, int column)
{
    // A write goes by key to the first line holding it in a [Label] section: for a cell whose
    // line holds another key or stands in another section, a row with no line, or an ID
    // standing earlier in french.lan, that line is not the one this cell shows. Told by the
    // cell's order marks, or by the column's key index when they are not worked out yet.
    m_marks.indexFrench();
    if (m_marks.at(row, 1) & (Mark::RepeatedId | Mark::OtherSection))
        return true;
    if (column < 2)
        return false;
    if (m_marks.hasOrderMarks(row))
        return (m_marks.at(row, column) & (Mark::OutOfStep | Mark::Missing | Mark::OtherSection));
    return keyIndex(column).rowOf(m_grid.itemText(row, 0)) != row;
}

const KeyIndex &LabelSession::keyIndex(int column)
{
    auto &index = m_keyIndexes.at(static_cast<std::size_t>(column));
    if (!index)
        index = std::make_unique<KeyIndex>(m_grid, column);
    return *index;
}

std::string LabelSession::keyText(int row, int column)
{
    if (!writtenElsewhere(row, column))
        return std::string(m_grid.itemText(row, column));
    const std::string_view id = m_grid.itemText(row, 0);
    const int at = column == 1 ? frenchRow(id) : keyIndex(column).rowOf(id);
    if (at >= 0)
        return std::string(m_grid.itemText(at, column));
    if (at == KeyIndex::kPastLastRow) // a line the table shows nowhere: its file tells
        // A file that cannot be read now shows the line as empty, as a missing key does.
        return ProfileFile::readKey(columnPath(column), id, std::string::npos).value_or("");
    return {};
}

std::string LabelSession::comment(std::string_view id) const
{
    // Cut on a character boundary so a UTF-8 comment never ends in half a character.
    return std::string(m_codec.prefix(m_comments->value(id).value_or(""), kCommentLimit));
}

int LabelSession::frenchRow(std::string_view key)
{
    m_marks.indexFrench();
    return m_marks.frenchRow(key);
}

std::vector<int> LabelSession::landingRows(int column, const std::vector<int> &rows)
{
    std::vector<int> out(rows.size(), -1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view id = m_grid.itemText(rows[i], 0);
        if (column == 1)
            out[i] = frenchRow(id);
        else if (!writtenElsewhere(rows[i], column))
            out[i] = rows[i];
        else
            out[i] = std::max(keyIndex(column).rowOf(id), -1);
    }
    return out;
}

bool LabelSession::refused(int column, CommandOutcome &outcome) const
{
    const std::string name = utf8(m_grid.fileName(column));
    if (const int other = sameFileAs(column); other >= 0) {
        outcome.problems.push_back("The file " + name + " is the same file as " +
                                   utf8(m_grid.fileName(other)) + "; it was not written.");
        return true;
    }
    for (const ColumnNote &n : m_load.readOnly)
        if (n.fileName == m_grid.fileName(column)) {
            outcome.problems.push_back("The file " + name + " is shown read-only (" + n.why +
                                       "); it was not written.");
            return true;
        }
    // A file gone since the load is not made again under another name, where it would
    // shadow the real one when that comes back.
    const std::string header(m_grid.header(column).value_or(""));
    if (const Resolved r =
            LabelDirectory::resolveExisting(m_dir, m_grid.fileName(column), header + ".lan");
        r.result.failure() == Result::Failure::Gone) {
        outcome.problems.push_back("The file " + name +
                                   " is no longer in the label folder; it was not written.");
        return true;
    }
    return false;
}

bool LabelSession::changedOnDisk(int column) const
{
    return stampOf(columnPath(column)) != m_stamps[static_cast<std::size_t>(column)];
}

bool LabelSession::addsLines(const FileChanges &changes)
{
    // Rows take texts by position: a line added or removed moves what every row below shows.
    if (changes.created || !changes.headerAdded.empty() || changes.lines)
        return true;
    for (std::size_t i = 0; i < changes.keys.size(); ++i)
        if (!changes.keys[i].before)
            return true;
    return false;
}

void LabelSession::reloadColumn(int column, CommandOutcome &outcome)
{
    reloadColumns({column}, outcome);
}

void LabelSession::reloadColumns(const std::vector<int> &columns, CommandOutcome &outcome)
{
    // The French column gives the rows: it is read again with the whole folder, and a read
    // of it here is empty and not adopted.
    std::vector<ColumnRead> reads(columns.size());
    inParallel(hardwareThreads(), columns.size(),
               [&](std::size_t k, int) { reads[k] = columnReader(columns[k])(); });
    for (ColumnRead &read : reads) {
        read.generation = m_generation; // each adoption moves it on: these were all read now
        adoptColumn(std::move(read), outcome);
    }
}

void LabelSession::indexColumns(const std::vector<int> &columns, const std::vector<int> &rows)
{
    // A row whose own line holds its ID needs no index; each index is a pass over a file.
    std::vector<int> wanted;
    for (const int c : columns)
        if (c >= 2 && c < m_grid.columnCount() && !m_keyIndexes[static_cast<std::size_t>(c)] &&
            std::any_of(rows.begin(), rows.end(), [&](int r) {
                return r >= 0 && r < m_grid.rowCount() &&
                       (!m_marks.hasOrderMarks(r) || writtenElsewhere(r, c));
            }))
            wanted.push_back(c);
    inParallel(hardwareThreads(), wanted.size(), [&](std::size_t k, int) {
        m_keyIndexes[static_cast<std::size_t>(wanted[k])] =
            std::make_unique<KeyIndex>(m_grid, wanted[k]);
    });
}

std::function<LabelSession::ColumnRead()> LabelSession::columnReader(int column) const
{
    if (column < 2 || column >= m_grid.columnCount())
        return [] { return ColumnRead(); };
    // Values only: the read may go on after the session is gone.
    return [column, path = columnPath(column), dir = m_dir, rows = m_grid.rowCount(),
            generation = m_generation] {
        ColumnRead read{column, generation, stampOf(path), {}};
        // As at the load: a file linking out of the folder is not read.
        FileBuffer file = FilePath::linksStayIn(path, dir)
                              ? FileReader::readBuffer(path)
                              : FileBuffer{Result::failed(Result::Failure::Read, 0, path), {}};
        SilentProgress quiet;
        read.loaded = LabelLoader::ReadLanguageColumn(
            file.result.ok() ? std::move(file.bytes) : ByteBuffer(), rows, quiet);
        return read;
    };
}

bool LabelSession::adoptColumn(ColumnRead &&read, CommandOutcome &outcome)
{
    if (read.column < 2 || read.column >= m_grid.columnCount() || read.generation != m_generation)
        return false;
    const auto column = static_cast<std::size_t>(read.column);
    m_grid.adoptColumn(read.column, std::move(read.loaded));
    m_keyIndexes[column].reset();
    m_stamps[column] = read.stamp;
    m_marks.restartLanguages();
    m_generation = nextGeneration();
    outcome.reloadedColumns.push_back(read.column);
    return true;
}

std::uint64_t LabelSession::nextGeneration()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

void LabelSession::finish(CommandOutcome &outcome)
{
    m_generation = nextGeneration();
    // The session's own writes are no other program's change.
    for (const int c : outcome.writtenColumns)
        noteWritten(c);
    std::vector<int> &rows = outcome.rows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // A few rows are marked again at once; many (a Duplicate of a block) a slice at a time
    // after the command, as at the load, so that the texts are shown first.
    constexpr std::size_t kAtOnce = 1000;
    if (rows.size() <= kAtOnce) {
        for (const int row : rows)
            m_marks.refreshRow(row);
        m_marks.refreshSameText(rows);
    } else {
        m_marks.refreshLater(rows);
    }
    m_writer.releaseBuffers();
    if (m_progress)
        m_progress->finished();
}

void LabelSession::writing(const std::string &path, int done, int total)
{
    if (m_progress)
        m_progress->step("Writing " + utf8(FilePath::nameOf(path)) + "...", done, total);
}

std::string CommandOutcome::problemText() const
{
    std::string text;
    for (const std::string &p : problems)
        text += (text.empty() ? "" : "\n") + p;
    return text;
}

std::vector<Conflict> LabelSession::applyConflicts(int row,
                                                   const std::vector<FieldEdit> &edits) const
{
    std::vector<Conflict> out;
    if (row < 0 || row >= m_grid.rowCount())
        return out;
    const std::string_view id = m_grid.itemText(row, 0);
    for (const FieldEdit &e : edits) {
        if (!changedOnDisk(e.column))
            continue; // as read or written here: its texts are the table's
        // A file gone or unreadable is no other program's text: the write says what it finds.
        const auto file = FileValues::read(columnPath(e.column), m_dir, {id});
        if (file->read() && file->value(id).value_or("") != e.basedOn)
            out.push_back({e.column, std::string(id)});
    }
    return out;
}

std::vector<Conflict> LabelSession::duplicateConflicts(const std::vector<int> &rows,
                                                       std::string_view target)
{
    std::vector<Conflict> out;
    // Each file's text of a key against the text the table has for it.
    std::vector<int> columns = targetColumns(target);
    columns.insert(columns.begin(), 1);
    std::vector<std::string_view> ids;
    for (const int r : rows)
        if (r >= 0 && r < m_grid.rowCount())
            ids.push_back(m_grid.itemText(r, 0));
    for (const int c : columns) {
        if (!changedOnDisk(c))
            continue; // as read or written here: its texts are the table's
        const auto file = FileValues::read(columnPath(c), m_dir, ids);
        if (!file->read())
            continue;
        for (const int r : rows)
            if (r >= 0 && r < m_grid.rowCount() &&
                file->value(m_grid.itemText(r, 0)).value_or("") != keyText(r, c))
                out.push_back({c, std::string(m_grid.itemText(r, 0))});
    }
    return out;
}

std::string LabelSession::conflictQuestion(const std::vector<Conflict> &conflicts) const
{
    std::string q = "Another program changed these texts since Verbolt read them:";
    constexpr std::size_t kNamed = 12;
    for (std::size_t i = 0; i < conflicts.size() && i < kNamed; ++i)
        q += "\n" + utf8(conflicts[i].key) + " in " +
             utf8(FilePath::nameOf(columnPath(conflicts[i].column)));
    if (conflicts.size() > kNamed)
        q += "\nand " + std::to_string(conflicts.size() - kNamed) + " more";
    return q;
}

CommandOutcome LabelSession::apply(int row, const std::vector<FieldEdit> &edits,
                                   const std::vector<Conflict> &skip)
{
    CommandOutcome outcome;
    if (row < 0 || row >= m_grid.rowCount())
        return outcome;
    // Every text is checked before anything is written.
    for (const FieldEdit &e : edits)
        if (!ProfileEdit::storable(e.text)) {
            outcome.problems.push_back("The " + utf8(m_grid.header(e.column).value_or("")) +
                                       " text holds characters that these label files cannot "
                                       "store.");
            return outcome;
        }

    // A cell takes the new text only once its file holds it, and only the cell that shows
    // the line written.
    const std::string id(m_grid.itemText(row, 0));
    LabelHistory::Command command{"Apply to " + utf8(id), {}, {}};
    for (const FieldEdit &e : edits) {
        if (refused(e.column, outcome))
            continue;
        if (std::find(skip.begin(), skip.end(), Conflict{e.column, id}) != skip.end()) {
            // Theirs stays, and the table shows it.
            if (e.column >= 2) {
                reloadColumn(e.column, outcome);
            } else if (const int shown = frenchRow(id); shown >= 0) {
                const auto file = FileValues::read(columnPath(1), m_dir, {id});
                m_grid.setItemText(shown, 1, file->value(id).value_or(""));
                outcome.rows.push_back(shown);
            }
            continue;
        }
        LabelHistory::FileRecord record{e.column, columnPath(e.column), {}};
        const bool stale = changedOnDisk(e.column);
        const Result r = m_writer.writeKey(record.path, id, e.text, m_dir, &record.changes,
                                           orderFor(e.column, {row}));
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            continue;
        }
        outcome.writtenColumns.push_back(e.column);
        if (e.column >= 2 && (stale || addsLines(record.changes))) {
            reloadColumn(e.column, outcome);
        } else if (const int shown = landingRows(e.column, {row}).front(); shown >= 0) {
            m_grid.setItemText(shown, e.column, e.text);
            outcome.rows.push_back(shown);
        }
        command.files.push_back(std::move(record));
    }
    if (!edits.empty()) {
        outcome.rows.push_back(row);
        outcome.keys.push_back(id);
    }
    m_history.record(std::move(command));
    finish(outcome);
    return outcome;
}

std::vector<int> LabelSession::targetColumns(std::string_view target) const
{
    // Every language column for "All", else the one of that header. The ID and FRENCH
    // columns are never written.
    std::vector<int> targets;
    for (int c = 2; const auto header = m_grid.header(c); ++c)
        if (target == "All" || *header == target)
            targets.push_back(c);
    return targets;
}

bool LabelSession::translated(int row, int column)
{
    const std::string text = keyText(row, column);
    return !text.empty() && text != m_grid.itemText(row, 1);
}

int LabelSession::translatedLines(const std::vector<int> &rows, std::string_view target)
{
    const std::vector<int> targets = targetColumns(target);
    indexColumns(targets, rows);
    int count = 0;
    for (const int r : rows) {
        if (r < 0 || r >= m_grid.rowCount())
            continue;
        for (const int c : targets)
            if (translated(r, c)) {
                ++count;
                break;
            }
    }
    return count;
}

CommandOutcome LabelSession::duplicate(const std::vector<int> &rows, std::string_view target,
                                       bool keepTranslations, const std::vector<Conflict> &skip)
{
    const auto skipped = [&](int column, std::string_view id) {
        return std::any_of(skip.begin(), skip.end(), [&](const Conflict &c) {
            return (c.column == column || c.column == 1) && ProfileEdit::sameKey(c.key, id);
        });
    };
    CommandOutcome outcome;
    const std::vector<int> targets = targetColumns(target);

    // Every target file gets the same keys: one batch per file, with the same result as one
    // write per cell. A row the files cannot hold is left out and named; the rest go on.
    std::vector<KeyValue> writes;
    std::vector<int> written;
    writes.reserve(rows.size());
    written.reserve(rows.size());
    for (const int r : rows) {
        if (r < 0 || r >= m_grid.rowCount())
            continue;
        const std::string_view id = m_grid.itemText(r, 0);
        const std::string_view french = m_grid.itemText(r, 1);
        if (!ProfileEdit::storable(id) || !ProfileEdit::storable(french)) {
            outcome.problems.push_back("The ID or FRENCH text of " + utf8(id) +
                                       " holds characters that these label files cannot store.");
            continue;
        }
        writes.push_back({std::string(id), std::string(french), r}); // its French place, most often
        written.push_back(r);
    }
    if (writes.empty()) {
        finish(outcome);
        return outcome;
    }

    LabelHistory::Command command{"Duplicate into " + utf8(target),
                                  std::to_string(written.size()) +
                                      (written.size() == 1 ? " line" : " lines"),
                                  {}};
    std::vector<int> reload; // columns read again once every file is written
    for (int done = 0; const int c : targets) {
        writing(columnPath(c), done++, static_cast<int>(targets.size()));
        // Keeping translations, each file gets the rows whose text it lacks.
        std::vector<KeyValue> kept;
        std::vector<int> keptRows;
        const bool filter = keepTranslations || !skip.empty();
        if (filter)
            for (std::size_t i = 0; i < written.size(); ++i)
                if (!(keepTranslations && translated(written[i], c)) &&
                    !skipped(c, writes[i].key)) {
                    kept.push_back(writes[i]);
                    keptRows.push_back(written[i]);
                }
        if (refused(c, outcome))
            continue;
        const std::vector<KeyValue> &batch = filter ? kept : writes;
        const std::vector<int> &batchRows = filter ? keptRows : written;
        if (batch.size() < written.size() && !skip.empty())
            reloadColumn(c, outcome); // texts kept as another program wrote them show
        if (batch.empty())
            continue;
        LabelHistory::FileRecord record{c, columnPath(c), {}};
        const bool stale = changedOnDisk(c);
        const Result r =
            m_writer.writeKeys(record.path, batch, m_dir, &record.changes, orderFor(c, batchRows));
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            continue;
        }
        outcome.writtenColumns.push_back(c);
        if (stale || addsLines(record.changes)) { // a language column
            reload.push_back(c);
        } else {
            const std::vector<int> shown = landingRows(c, batchRows);
            for (std::size_t i = 0; i < batchRows.size(); ++i)
                if (shown[i] >= 0) {
                    m_grid.setItemText(shown[i], c, batch[i].value);
                    outcome.rows.push_back(shown[i]);
                }
        }
        command.files.push_back(std::move(record));
    }
    reloadColumns(reload, outcome);
    for (const KeyValue &kv : writes)
        outcome.keys.push_back(kv.key);
    m_history.record(std::move(command));
    finish(outcome);
    return outcome;
}

CommandOutcome LabelSession::writeBatches(const std::string &name,
                                          const std::vector<ColumnBatch> &batches)
{
    CommandOutcome outcome;
    const FrenchOrder &order = frenchOrder();
    std::size_t lines = 0;
    LabelHistory::Command command{name, {}, {}};
    for (int done = 0; const ColumnBatch &b : batches) {
        if (b.column >= 2 && b.column < m_grid.columnCount())
            writing(columnPath(b.column), done, static_cast<int>(batches.size()));
        ++done;
        if (b.column < 2 || b.column >= m_grid.columnCount() || b.writes.empty() ||
            refused(b.column, outcome))
            continue;
        LabelHistory::FileRecord record{b.column, columnPath(b.column), {}};
        const Result r = m_writer.writeKeys(record.path, b.writes, m_dir, &record.changes, &order);
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            continue;
        }
        outcome.writtenColumns.push_back(b.column);
        reloadColumn(b.column, outcome);
        for (const KeyValue &kv : b.writes)
            outcome.keys.push_back(kv.key);
        lines += b.writes.size();
        command.files.push_back(std::move(record));
    }
    command.about = std::to_string(lines) + (lines == 1 ? " line" : " lines");
    m_history.record(std::move(command));
    finish(outcome);
    return outcome;
}

CommandOutcome LabelSession::undo()
{
    return m_history.canUndo() ? exchange(m_history.takeUndo(), true) : CommandOutcome{};
}

CommandOutcome LabelSession::redo()
{
    return m_history.canRedo() ? exchange(m_history.takeRedo(), false) : CommandOutcome{};
}

CommandOutcome LabelSession::exchange(LabelHistory::Command command, bool undo)
{
    CommandOutcome outcome;
    // A file that could not be written keeps its part of the command where it was, so the
    // same key tries again.
    LabelHistory::Command left{command.name, command.about, {}};
    const int files = static_cast<int>(command.files.size());
    std::vector<int> reload; // columns read again once every file is written
    for (int done = 0; LabelHistory::FileRecord & file : command.files) {
        writing(file.path, done++, files);
        const bool stale =
            file.column >= 0 && file.column < m_grid.columnCount() && changedOnDisk(file.column);
        // A redo that adds keys again puts them at their French place, as the write did.
        const ProfileFile::Reverted r =
            m_writer.revertKeys(file.path, file.changes, undo, m_dir,
                                !undo && file.column >= 2 ? &frenchOrder() : nullptr);
        if (!r.result.ok()) {
            outcome.problems.push_back(writeProblem(r.result));
            left.files.push_back(std::move(file));
            file.changes.keys.clear();
            continue;
        }
        if (file.changes.lines && !r.applied.front()) {
            // A rewrite of whole lines goes back only onto exactly what it left.
            outcome.problems.push_back(FilePath::nameOf(file.path) +
                                       " was changed since; it was left as it is.");
            file.changes.lines.reset();
            continue;
        }
        if (file.column >= 0) // a language file a command made has no column of this session
            outcome.writtenColumns.push_back(file.column);
        // The keys exchanged stay in the command, for the other way; the cells that show
        // their lines follow.
        std::vector<bool> exchanged(file.changes.keys.size(), false);
        std::vector<int> rows;
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < file.changes.keys.size(); ++i) {
            const KeyChange k = file.changes.keys[i];
            if (!r.applied[i]) {
                outcome.problems.push_back(utf8(k.key) + " in " + FilePath::nameOf(file.path) +
                                           " was changed since; it was left as it is.");
                continue;
            }
            const std::optional<std::string_view> now = undo ? k.before : k.after;
            outcome.keys.emplace_back(k.key);
            if (const int row = frenchRow(k.key); now && row >= 0) {
                rows.push_back(row);
                texts.emplace_back(Blanks::trim(*now));
            }
            exchanged[i] = true;
        }
        if ((file.column == 1 && addsLines(file.changes)) || file.changes.created)
            outcome.rowsChanged = m_rowsStale = true; // rows or a whole column came or went
        if (file.column >= 2 && (stale || addsLines(file.changes))) {
            // A line the write added comes or goes: the column shows its file afresh.
            reload.push_back(file.column);
        } else {
            const std::vector<int> shown = landingRows(file.column, rows);
            for (std::size_t i = 0; i < shown.size(); ++i)
                if (shown[i] >= 0) {
                    m_grid.setItemText(shown[i], file.column, texts[i]);
                    outcome.rows.push_back(shown[i]);
                }
        }
        file.changes.keys.keepOnly(exchanged);
    }
    reloadColumns(reload, outcome);
    if (undo) {
        m_history.pushRedo(std::move(command));
        m_history.pushUndo(std::move(left));
    } else {
        m_history.pushUndo(std::move(command));
        m_history.pushRedo(std::move(left));
    }
    finish(outcome);
    return outcome;
}

int LabelSession::findNext(int start, int column, std::string_view text,
                           const std::function<bool(int)> &shown) const
{
    if (!m_grid.header(column))
        return -1;
    const std::string needle = m_codec.upper(text);
    std::string scratch;
    for (int r = std::max(start, 0); r < m_grid.rowCount(); ++r)
        if ((!shown || shown(r)) &&
            m_codec.containsUpper(m_grid.itemText(r, column), needle, scratch))
            return r;
    return -1;
}

int LabelSession::nextNeedingWork(int from, bool forward, const std::function<bool(int)> &shown)
{
    const int rows = m_grid.rowCount();
    if (rows == 0)
        return -1;
    m_marks.computeAll();
    // From the line after (or before) `from`, round the end; without one from the top (or
    // the bottom).
    int row = from < 0 ? (forward ? -1 : rows) : from;
    for (int step = 0; step < rows; ++step) {
        row = forward ? (row + 1) % rows : (row - 1 + rows) % rows;
        if (m_marks.hasFinding(row) && (!shown || shown(row)))
            return row;
    }
    return -1;
}

std::string LabelSession::muteCheck(int row, int column, Check check, bool everyLanguage)
{
    if (row < 0 || row >= m_grid.rowCount() || column < 2 || column >= m_grid.columnCount())
        return {};
    // The findings of a cell that shows another label's line are that label's.
    const std::string id = (m_marks.at(row, column) & Mark::OutOfStep)
                               ? m_marks.lineKey(row, column)
                               : std::string(Blanks::trim(m_grid.itemText(row, 0)));
    const std::string header =
        everyLanguage ? std::string() : std::string(m_grid.header(column).value_or(""));
    const CheckMutes before = m_mutes;
    m_mutes.mute(id, check, header);
    if (const Result r = m_mutes.write(m_dir); !r.ok()) {
        m_mutes = before; // what the file holds
        return writeProblem(r);
    }
    m_marks.refreshRow(row);
    m_marks.refreshSameText({row});
    return {};
}

std::vector<std::string> LabelSession::frenchOrderPreview()
{
    std::vector<std::string> lines;
    for (int c = 2; c < m_grid.columnCount(); ++c) {
        const FileContent file = FileReader::read(columnPath(c));
        if (!file.result.ok())
            continue;
        const LabelAlign::Aligned aligned =
            LabelAlign::align(frenchOrder(), file.bytes, LabelAlign::Fill::Empty);
        if (aligned.changed)
            lines.push_back(utf8(LabelAlign::describe(m_grid.fileName(c), aligned)));
    }
    return lines;
}

CommandOutcome LabelSession::putInFrenchOrder(LabelAlign::Fill fill)
{
    CommandOutcome outcome;
    LabelHistory::Command command{"Put in French order", {}, {}};
    for (int c = 2; c < m_grid.columnCount(); ++c) {
        writing(columnPath(c), c - 2, m_grid.columnCount() - 2);
        LabelHistory::FileRecord record{c, columnPath(c), {}};
        bool refusedHere = false;
        LabelAlign::Aligned aligned;
        // Read again under the lock: what another program wrote since is put in order too.
        const Result r = m_writer.replaceFile(
            record.path, m_dir,
            [&](std::string_view bytes, bool exists) -> std::optional<std::string> {
                if (!exists)
                    return std::nullopt;
                aligned = LabelAlign::align(frenchOrder(), bytes, fill);
                if (!aligned.changed || (refusedHere = refused(c, outcome)))
                    return std::nullopt;
                return std::move(aligned.bytes);
            });
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            continue;
        }
        if (!aligned.changed || refusedHere)
            continue;
        record.changes = std::move(aligned.changes);
        outcome.writtenColumns.push_back(c);
        reloadColumn(c, outcome);
        command.files.push_back(std::move(record));
    }
    m_history.record(std::move(command));
    finish(outcome);
    return outcome;
}

std::string LabelSession::newLabelProblem(std::string_view id, std::string_view french)
{
    if (id.empty())
        return "The ID is empty.";
    if (id.find_first_of(std::string_view("=\r\n\0", 4)) != std::string_view::npos)
        return "An ID cannot hold \"=\" or a line break.";
    if (id.front() == ';' || id.front() == '[')
        return "An ID cannot begin with \";\" or \"[\".";
    if (french.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "The French text cannot hold a line break.";
    const std::optional<std::string> bytes = m_codec.fromUtf8(id);
    if (!bytes || !m_codec.fromUtf8(french))
        return "The ID or the French text holds characters that these label files cannot "
               "store.";
    if (frenchRow(*bytes) >= 0)
        return std::string(id) + " is an ID of french.lan already.";
    return {};
}

CommandOutcome LabelSession::addLabel(std::string_view idUtf8, std::string_view frenchUtf8,
                                      int afterRow)
{
    CommandOutcome outcome;
    const std::optional<std::string> id = m_codec.fromUtf8(idUtf8);
    const std::optional<std::string> text = m_codec.fromUtf8(frenchUtf8);
    if (!id || !text)
        return outcome;
    // The French order with the new label in its place: the writer puts it after the line of
    // the nearest label above it that each file holds. That is the current row's label in
    // every file that holds it: for those a two-key order gives the same place without
    // indexing all of french.lan again (a million IDs).
    const bool current = afterRow >= 0 && afterRow < m_grid.rowCount();
    const std::string_view anchor = current ? m_grid.itemText(afterRow, 0) : std::string_view();
    const FrenchOrder near(current ? "[Label]\n" + std::string(anchor) + "=\n" + *id + "=\n"
                                   : std::string());
    std::optional<FrenchOrder> whole;
    auto orderOf = [&](int column) -> const FrenchOrder & {
        if (current && holdsInLabel(afterRow, column))
            return near;
        if (!whole)
            whole = withNewLabel(*id, current ? frenchOrder().position(anchor) : -1);
        return *whole;
    };
    LabelHistory::Command command{"New label", std::string(idUtf8), {}};
    for (int c = 1; c < m_grid.columnCount(); ++c) {
        writing(columnPath(c), c - 1, m_grid.columnCount() - 1);
        if (c >= 2 && refused(c, outcome))
            continue;
        LabelHistory::FileRecord record{c, columnPath(c), {}};
        const Result r = m_writer.writeKeys(record.path, {{*id, c == 1 ? *text : ""}}, m_dir,
                                            &record.changes, &orderOf(c));
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            if (c == 1) { // no French line, no label
                finish(outcome);
                return outcome;
            }
            continue;
        }
        outcome.writtenColumns.push_back(c);
        command.files.push_back(std::move(record));
    }
    return finishRowsCommand(std::move(command), outcome);
}

FrenchOrder LabelSession::withNewLabel(std::string_view id, int after)
{
    const FrenchOrder &now = frenchOrder();
    std::string bytes = "[Label]\n";
    if (after < 0 && now.size() == 0)
        bytes += std::string(id) + "=\n";
    for (std::size_t i = 0; i < now.size(); ++i) {
        bytes += std::string(now.key(i)) + "=\n";
        if (static_cast<int>(i) == after || (after < 0 && i + 1 == now.size()))
            bytes += std::string(id) + "=\n";
    }
    return FrenchOrder(std::move(bytes));
}

bool LabelSession::holdsInLabel(int row, int column)
{
    // Most often the row's own line holds its ID, under a [Label] header (or before any
    // header): a look at that line and back to the header above it. Else the column's key
    // index says (built once for the column).
    if (const auto offset = m_grid.loadedOffset(row, column);
        offset && ProfileEdit::sameKey(m_marks.lineKey(row, column), m_grid.itemText(row, 0))) {
        const std::string_view bytes = m_grid.columnBytes(column).substr(0, *offset);
        const std::size_t start = LabelReader::bomLength(bytes);
        for (std::size_t end = bytes.size(); end > start;) {
            const void *hit = memrchr(bytes.data() + start, '[', end - start);
            if (!hit)
                break;
            const std::size_t at = static_cast<const char *>(hit) - bytes.data();
            if (at == start || bytes[at - 1] == '\n')
                return ProfileEdit::isLabelHeader(bytes.substr(at, bytes.find('\n', at) - at));
            end = at;
        }
        return true; // no header above: before the first header counts as [Label]
    }
    return column >= 2 && keyIndex(column).rowOf(m_grid.itemText(row, 0)) != -1;
}

CommandOutcome LabelSession::finishRowsCommand(LabelHistory::Command command,
                                               CommandOutcome &outcome)
{
    // French lines came or went: the window reads the folder again into a new session.
    m_history.record(std::move(command));
    outcome.rowsChanged = m_rowsStale = true;
    finish(outcome);
    return outcome;
}

CommandOutcome LabelSession::removeLabels(const std::vector<int> &rows)
{
    CommandOutcome outcome;
    std::vector<std::string> keys;
    for (const int r : rows)
        if (r >= 0 && r < m_grid.rowCount())
            keys.emplace_back(m_grid.itemText(r, 0));
    if (keys.empty())
        return outcome;
    LabelHistory::Command command{keys.size() == 1 ? "Remove label" : "Remove labels",
                                  keys.size() == 1 ? utf8(keys.front())
                                                   : std::to_string(keys.size()) + " labels",
                                  {}};
    for (int c = 1; c < m_grid.columnCount(); ++c) {
        writing(columnPath(c), c - 1, m_grid.columnCount() - 1);
        if (c >= 2 && refused(c, outcome))
            continue;
        LabelHistory::FileRecord record{c, columnPath(c), {}};
        const Result r = m_writer.removeKeys(record.path, keys, m_dir, &record.changes);
        if (!r.ok()) {
            outcome.problems.push_back(writeProblem(r));
            continue;
        }
        if (!record.changes.lines)
            continue; // the file held none of them
        outcome.writtenColumns.push_back(c);
        command.files.push_back(std::move(record));
    }
    return finishRowsCommand(std::move(command), outcome);
}

std::string LabelSession::newLanguageProblem(std::string_view name) const
{
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        }))
        return "A language's name is made of letters (a to z).";
    const std::string upper = m_codec.upper(name);
    if (upper == "FRENCH" || columnOf(upper) >= 0)
        return upper + " is a language of the folder already.";
    return {};
}

CommandOutcome LabelSession::addLanguage(std::string_view name, LabelAlign::Fill fill)
{
    CommandOutcome outcome;
    std::string file(name);
    for (char &c : file)
        c = static_cast<char>(AsciiFold::fold(c));
    file += ".lan";
    LabelHistory::Command command{"New language", m_codec.upper(name), {}};
    LabelHistory::FileRecord record{-1, m_dir + file, {}};
    bool existed = false;
    const Result r = m_writer.replaceFile(
        record.path, m_dir, [&](std::string_view, bool exists) -> std::optional<std::string> {
            if ((existed = exists))
                return std::nullopt; // never over a file that is there
            LabelAlign::Aligned aligned = LabelAlign::align(frenchOrder(), "", fill);
            record.changes = std::move(aligned.changes);
            record.changes.created = true;
            return std::move(aligned.bytes);
        });
    if (!r.ok() || existed) {
        outcome.problems.push_back(existed ? file + " is in the folder already; it was not written."
                                           : writeProblem(r));
        return outcome;
    }
    command.files.push_back(std::move(record));
    return finishRowsCommand(std::move(command), outcome);
}

const FrenchOrder &LabelSession::frenchOrder()
{
    // The French file as loaded: the rows, and so the order the language files follow.
    if (!m_frenchOrder)
        m_frenchOrder = std::make_unique<FrenchOrder>(std::string(m_grid.columnBytes(1)));
    return *m_frenchOrder;
}

const FrenchOrder *LabelSession::orderFor(int column, const std::vector<int> &rows)
{
    if (column < 2)
        return nullptr;
    // Many keys are found by their French places: a comparison a line instead of a hash.
    if (rows.size() > ProfileEdit::kFewWrites)
        return &frenchOrder();
    // Fewer need the order only for a key the file lacks. A row whose own line holds its ID
    // says so without indexing the file; the order is made once, when first needed.
    const bool missing = std::any_of(rows.begin(), rows.end(), [&](int row) {
        return writtenElsewhere(row, column) &&
               keyIndex(column).rowOf(m_grid.itemText(row, 0)) == -1;
    });
    return missing ? &frenchOrder() : nullptr;
}

std::string LabelSession::writeProblem(const Result &result)
{
    if (result.failure() == Result::Failure::LinksOutside)
        return "The file " + FilePath::nameOf(result.path()) +
               " links outside the label folder; it was not written.";
    return "Unable to write the file " + result.path() + "." + result.reasonSentence();
}

} // namespace verbolt
