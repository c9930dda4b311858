#include "checkreport.h"

#include "blanks.h"
#include "checkmutes.h"
#include "entrycursor.h"
#include "filepath.h"
#include "filereader.h"
#include "labeldirectory.h"
#include "labelgrid.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "loadprogress.h"
#include "parallel.h"
#include "profileedit.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace verbolt {

namespace {

// A name or message with its non-printing bytes escaped, appended to `out`.
void appendEscaped(std::string &out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    // Most texts have nothing to escape: appended whole. Eight bytes are looked at a time: a
    // byte below 0x20 or of 0x7F gets its high bit set in `low | del` (bytes of 0x80 and
    // above are masked out by `~w`).
    std::size_t i = 0;
    bool plain = true;
    for (; plain && i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
        const std::uint64_t low = w - 0x20 * kOnes;
        const std::uint64_t x = w ^ (0x7F * kOnes), del = (x - kOnes) & ~x;
        plain = ((low | del) & ~w & kHigh) == 0;
    }
    for (; plain && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        plain = c >= 0x20 && c != 0x7F;
    }
    if (plain) {
        out += text;
        return;
    }
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
}

// Writes the findings of one file to a text, counting them.
class Printer
{
public:
    Printer(const CheckMutes &mutes, const CheckOptions &options, std::string &out,
            CheckTotals &totals)
        : m_mutes(mutes), m_options(options), m_out(out), m_totals(totals)
    {}

    void finding(std::string_view file, std::size_t line, std::string_view id,
                 std::string_view column, Check check, std::string_view message)
    {
        if (!(m_options.checks & checkBit(check)))
            return;
        const bool muted = !id.empty() && m_mutes.muted(id, check, column);
        const bool error = TextChecks::severity(check) == Severity::Error;
        if (muted)
            ++m_totals.muted;
        else
            ++(error ? m_totals.errors : m_totals.warnings);
        if (muted && !m_options.all)
            return;
        // The findings of one file are written one after another: its name is escaped once.
        if (file.data() != m_file.data() || file.size() != m_file.size()) {
            m_file = file;
            m_fileEscaped.clear();
            appendEscaped(m_fileEscaped, file);
        }
        m_out += m_fileEscaped;
        if (line > 0) {
            char digits[24];
            digits[0] = ':';
            const auto end = std::to_chars(digits + 1, digits + sizeof digits, line).ptr;
            m_out.append(digits, static_cast<std::size_t>(end - digits));
        }
        m_out.append(": ").append(muted ? "muted" : error ? "error" : "warning").append(": ");
        if (!id.empty()) {
            appendEscaped(m_out, id);
            m_out += ": ";
        }
        appendEscaped(m_out, message);
        m_out.append(" [").append(TextChecks::name(check)).append("]\n");
    }

private:
    const CheckMutes &m_mutes;
    const CheckOptions &m_options;
    std::string &m_out;
    CheckTotals &m_totals;
    std::string_view m_file;
    std::string m_fileEscaped;
};

std::string plural(std::size_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

void add(CheckTotals &to, const CheckTotals &more)
{
    to.errors += more.errors;
    to.warnings += more.warnings;
    to.muted += more.muted;
}

// What the files have in common while their findings are written.
struct Context
{
    LabelGrid &grid;
    const std::string &dir; // where the language files are read from
    LabelMarks &marks;
    const CheckMutes &mutes;
    const CheckOptions &options;
    const std::vector<std::size_t> &frenchLines;            // by row
    const std::vector<TextChecks::FrenchSide> &frenchSides; // by row
};

// A text of findings is handed on at about this size, so that its memory is used again.
constexpr std::size_t kChunk = std::size_t{1} << 20;

// A text to write findings to, with room for a whole chunk and the row that passes it: it
// never grows by copying, and its pages are first touched once, where it is written.
std::string chunkText()
{
    std::string text;
    text.reserve(kChunk + kChunk / 4);
    return text;
}

// Reads the language file of column `c` into the grid, in the memory of `room`; its cells
// are set as its lines are walked.
void readColumn(const Context &x, int c, LabelGrid::LoadedColumn &room)
{
    const std::string path = x.dir + x.grid.fileName(c);
    // As the load reads files: one that links out of the folder is not read. (Emptied first,
    // the buffer keeps its memory but does not copy the file before when it grows.)
    room.bytes.clear();
    if (!FilePath::linksStayIn(path, x.dir) || !FileReader::readInto(path, room.bytes).ok())
        room.bytes.clear();
    room.cells.resize(0);
    room.cells.reserve(static_cast<std::size_t>(x.grid.rowCount()));
    x.grid.adoptColumn(c, std::move(room));
}

// The findings of the language file of column `c`, appended to `text`; `full` is called
// whenever `text` has grown to kChunk, to take it and leave a text to go on with. The file is
// read in `room`, which gets its memory back after.
template <class Full>
void printColumn(const Context &x, int c, TextChecks &checks, std::string &text,
                 CheckTotals &totals, LabelGrid::LoadedColumn &room, Full &&full)
{
    readColumn(x, c, room);
    const LabelGrid &grid = x.grid;
    LabelMarks &marks = x.marks;
    Printer printer(x.mutes, x.options, text, totals);
    const int rows = grid.rowCount();
    const std::string &frenchFile = grid.fileName(1);
    const std::string &file = grid.fileName(c);
    const std::string_view column = grid.header(c).value_or("");
    const std::string_view bytes = grid.columnBytes(c);
    EntryCursor cursor(bytes);
    Entry e;
    std::vector<TextChecks::Finding> found;
    std::size_t lastLine = 0;
    int r = 0, runEnd = 0;
    for (; r < rows; ++r) {
        if (text.size() >= kChunk)
            full(text);
        // A file in step holds the row's ID on its next line, most often spelt as French
        // spells it: known by its first bytes.
        const bool expected = cursor.nextIs(Blanks::trim(grid.itemText(r, 0)), e);
        if (!expected && !cursor.next(e))
            break;
        // The row's cell is the line's text: the walk is the file's one parse.
        if (expected)
            e.value = Blanks::trim(bytes.substr(e.eq + 1, e.end - e.eq - 1));
        x.grid.setLoadedCell(r, c, e.value);
        const MarkSet m = marks.markLine(r, c, e.key, e.inLabel, checks, found);
        lastLine = e.line;
        const std::string_view id = Blanks::trim(grid.itemText(r, 0));
        if ((m & Mark::OutOfStep) && r >= runEnd) {
            // One finding for the run of lines out of step that starts here: the lines
            // ahead are looked at for its length.
            const std::string key(Blanks::trim(e.key));
            const std::size_t line = e.line;
            int run = 1;
            EntryCursor ahead = cursor;
            for (Entry a; r + run < rows && ahead.next(a) &&
                          !ProfileEdit::sameKey(a.key, grid.itemText(r + run, 0));)
                ++run;
            runEnd = r + run;
            printer.finding(file, line, key, column, Check::Order,
                            "key where " + frenchFile + ":" +
                                std::to_string(x.frenchLines[static_cast<std::size_t>(r)]) +
                                " has " + std::string(id) + " (" +
                                plural(static_cast<std::size_t>(run), "line", "lines") +
                                " out of step)");
        }
        if (m & Mark::OtherSection)
            printer.finding(file, e.line, Blanks::trim(e.key), column, Check::Order,
                            "entry outside [Label]: writes never reach it");
        // The cell is compared once, for the checks asked for: the same comparison the
        // window marks the cell by.
        found.clear();
        marks.textFindings(r, c, x.options.checks, checks, found, &x.frenchSides);
        if (m & Mark::Inconsistent)
            found.push_back({Check::Inconsistent, marks.inconsistency(r, c)});
        const std::string_view key = (m & Mark::OutOfStep) ? Blanks::trim(e.key) : id;
        for (const auto &f : found)
            printer.finding(file, e.line, key, column, f.check, f.message);
    }
    for (int k = r; k < rows; ++k)
        marks.markMissing(k, c);
    if (r < rows)
        printer.finding(file, lastLine + 1, {}, column, Check::Order,
                        plural(static_cast<std::size_t>(rows - r), "label", "labels") +
                            " missing at the end (" + frenchFile + " has " + std::to_string(rows) +
                            " entries, " + file + " has " + std::to_string(r) + ")");
    std::size_t extra = 0, firstExtra = 0;
    while (r >= rows && cursor.next(e)) {
        if (extra++ == 0)
            firstExtra = e.line;
    }
    if (extra > 0)
        printer.finding(file, firstExtra, {}, column, Check::Order,
                        plural(extra, "entry", "entries") + " past the last French label");
    room = x.grid.releaseColumn(c);
}

int threadCount(const CheckOptions &options)
{
    if (options.threads > 0)
        return options.threads;
    return hardwareThreads();
}

} // namespace

std::string CheckReport::escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

CheckTotals CheckReport::print(LabelGrid &grid, LabelMarks &marks, const CheckMutes &mutes,
                               const CheckOptions &options, std::ostream &out,
                               const std::string &dir, const std::vector<std::string> &unread)
{
    CheckTotals totals;
    const int rows = grid.rowCount();
    if (grid.columnCount() < 2)
        return totals;
    const std::string &frenchFile = grid.fileName(1);

    // The French lines first: the rows' own lines, kept for the messages that point at them.
    std::vector<std::size_t> frenchLines(static_cast<std::size_t>(rows), 0);
    {
        std::string text;
        Printer printer(mutes, options, text, totals);
        EntryCursor cursor(grid.columnBytes(1));
        Entry e;
        for (int r = 0; r < rows && cursor.next(e); ++r) {
            frenchLines[static_cast<std::size_t>(r)] = e.line;
            const MarkSet m = marks.at(r, 1);
            const std::string_view id = Blanks::trim(grid.itemText(r, 0));
            if (m & Mark::OtherSection)
                printer.finding(frenchFile, e.line, id, "FRENCH", Check::Order,
                                "entry outside [Label]: writes never reach it");
            if (m & Mark::RepeatedId) {
                const int first = marks.frenchRow(id);
                printer.finding(
                    frenchFile, e.line, id, "FRENCH", Check::Order,
                    "ID appears again (first at line " +
                        std::to_string(first >= 0 ? frenchLines[static_cast<std::size_t>(first)]
                                                  : 0) +
                        ")");
            }
        }
        out << text;
    }

    // Then each language file, in column order; the files are read on several threads at
    // once, each writing to a text of its own, and the texts are written out in order.
    std::vector<int> columns;
    for (int c = 2; c < grid.columnCount(); ++c)
        if (std::find(unread.begin(), unread.end(), grid.fileName(c)) == unread.end())
            columns.push_back(c); // an unread file was said already: it holds no lines
    // What each French text holds is read once, not once for every language.
    std::vector<TextChecks::FrenchSide> sides(static_cast<std::size_t>(rows));
    constexpr std::size_t kSlice = 1 << 14;
    inParallel(threadCount(options), (sides.size() + kSlice - 1) / kSlice, [&](std::size_t k, int) {
        for (std::size_t r = k * kSlice; r < std::min(sides.size(), (k + 1) * kSlice); ++r)
            sides[r] = TextChecks::frenchSide(grid.itemText(static_cast<int>(r), 1));
    });
    const Context context{grid, dir, marks, mutes, options, frenchLines, sides};
    const int threads = std::min(threadCount(options), static_cast<int>(columns.size()));
    if (threads <= 1) {
        TextChecks checks = marks.textChecks();
        std::string text = chunkText();
        LabelGrid::LoadedColumn room;
        const auto write = [&](std::string &t) {
            out << t;
            t.clear();
        };
        for (const int c : columns) {
            printColumn(context, c, checks, text, totals, room, write);
            write(text);
        }
        return totals;
    }
    // Each file's text goes out in pieces as they come, the files in order; a piece written
    // goes back to be filled again.
    struct Part
    {
        std::vector<std::string> pieces;
        CheckTotals totals;
        bool done = false;
    };
    std::vector<Part> parts(columns.size());
    std::vector<std::string> spare;
    std::mutex mutex;
    std::condition_variable more;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        TextChecks checks = marks.textChecks();
        std::string text = chunkText(); // goes on with the next file once one is handed on
        LabelGrid::LoadedColumn room;
        for (std::size_t k; (k = next++) < parts.size();) {
            const auto hand = [&](std::string &t, bool last) {
                {
                    const std::lock_guard lock(mutex);
                    parts[k].pieces.push_back(std::move(t));
                    parts[k].done = last;
                    if (!spare.empty()) {
                        t = std::move(spare.back());
                        spare.pop_back();
                    } else {
                        t = chunkText();
                    }
                }
                more.notify_one();
            };
            CheckTotals found;
            printColumn(context, columns[k], checks, text, found, room,
                        [&](std::string &t) { hand(t, false); });
            parts[k].totals = found; // read once `done` is seen, under the lock
            hand(text, true);
        }
    };
    std::vector<std::thread> pool;
    for (int k = 0; k < threads; ++k)
        pool.emplace_back(work);
    for (Part &part : parts) {
        for (bool done = false; !done;) {
            std::vector<std::string> pieces;
            {
                std::unique_lock lock(mutex);
                more.wait(lock, [&] { return part.done || !part.pieces.empty(); });
                pieces.swap(part.pieces);
                done = part.done && part.pieces.empty();
            }
            for (std::string &piece : pieces)
                out << piece;
            const std::lock_guard lock(mutex);
            for (std::string &piece : pieces) {
                piece.clear();
                spare.push_back(std::move(piece));
            }
        }
        add(totals, part.totals);
    }
    for (std::thread &t : pool)
        t.join();
    return totals;
}

std::optional<CheckTotals> CheckReport::run(const std::string &dir, const CheckOptions &options,
                                            std::ostream &out, std::ostream &err, FileSystem &fs)
{
    const Listing listing = LabelDirectory::list(dir, fs);
    if (!listing.result.ok()) {
        err << LabelDirectory::unreadableMessage(dir) << "\n";
        return std::nullopt;
    }
    CheckTotals totals;
    bool french = false;
    std::vector<std::string> unread;
    for (const LabelFileEntry &e : listing.entries) {
        french = french || LabelDirectory::isFrench(e.name);
        if (e.kind != LabelFileEntry::Kind::File) {
            unread.push_back(e.name);
            out << escaped(e.name) << ": error: cannot be read [order]\n";
            ++totals.errors;
        }
    }
    if (!french) {
        out << "french.lan: error: not found [order]\n";
        ++totals.errors;
    }
    LabelGrid grid;
    SilentProgress progress;
    LabelLoader loader(grid, progress, fs);
    loader.setThreads(threadCount(options));
    // The language files are read for the code page only: each is read again when its turn
    // comes, so that a few are in memory at once, not all.
    loader.keepOnly([](std::string_view) { return false; });
    loader.setNotesWanted(false);
    const LoadResult loaded = loader.LoadAllLabels(dir);
    if (!loaded.loaded)
        return totals;
    LabelMarks marks(grid);
    marks.setCodePage(loaded.codePage);
    if (options.checks & checkBit(Check::Spelling))
        marks.setWordChecker(options.words);
    marks.setTextMarks(false); // the report compares each cell itself, once
    marks.indexFrench();
    CheckMutes mutes;
    if (const Result r = mutes.read(dir); !r.ok())
        err << escaped(r.path()) << ": cannot be read; no check is muted\n";
    add(totals, print(grid, marks, mutes, options, out, dir, unread));
    return totals;
}

} // namespace verbolt
