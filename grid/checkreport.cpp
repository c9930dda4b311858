#include "checkreport.h"

#include "blanks.h"
#include "checkmutes.h"
#include "entrycursor.h"
#include "labeldirectory.h"
#include "labelgrid.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "loadprogress.h"

#include <algorithm>
#include <vector>

namespace verbolt {

namespace {

// Writes the findings of one file, counting them.
class Printer
{
public:
    Printer(const CheckMutes &mutes, const CheckOptions &options, std::ostream &out,
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
        m_out << CheckReport::escaped(file);
        if (line > 0)
            m_out << ':' << line;
        m_out << ": " << (muted ? "muted" : error ? "error" : "warning") << ": ";
        if (!id.empty())
            m_out << CheckReport::escaped(id) << ": ";
        m_out << CheckReport::escaped(message) << " [" << TextChecks::name(check) << "]\n";
    }

private:
    const CheckMutes &m_mutes;
    const CheckOptions &m_options;
    std::ostream &m_out;
    CheckTotals &m_totals;
};

std::string plural(std::size_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

std::string CheckReport::escaped(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
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
    return out;
}

CheckTotals CheckReport::print(const LabelGrid &grid, const LabelMarks &marks,
                               const CheckMutes &mutes, const CheckOptions &options,
                               std::ostream &out, const std::vector<std::string> &unread)
{
    CheckTotals totals;
    Printer printer(mutes, options, out, totals);
    const int rows = grid.rowCount();
    if (grid.columnCount() < 2)
        return totals;
    const std::string &frenchFile = grid.fileName(1);

    // The French lines first: the rows' own lines, kept for the messages that point at them.
    std::vector<std::size_t> frenchLines(static_cast<std::size_t>(rows), 0);
    {
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
    }

    constexpr MarkSet kOrderMarks = Mark::OutOfStep | Mark::Missing | Mark::OtherSection;
    for (int c = 2; c < grid.columnCount(); ++c) {
        const std::string &file = grid.fileName(c);
        if (std::find(unread.begin(), unread.end(), file) != unread.end())
            continue; // said already: it holds no lines to compare
        const std::string_view column = grid.header(c).value_or("");
        EntryCursor cursor(grid.columnBytes(c));
        Entry e;
        std::size_t lastLine = 0;
        int r = 0, runEnd = 0;
        for (; r < rows; ++r) {
            const MarkSet m = marks.at(r, c);
            if (m & Mark::Missing)
                break;
            if (!cursor.next(e))
                break;
            lastLine = e.line;
            const std::string_view id = Blanks::trim(grid.itemText(r, 0));
            if ((m & Mark::OutOfStep) && r >= runEnd) {
                // One finding for the run of lines out of step that starts here.
                const std::string key(Blanks::trim(e.key));
                const std::size_t line = e.line;
                int run = 1;
                while (r + run < rows && (marks.at(r + run, c) & Mark::OutOfStep))
                    ++run;
                runEnd = r + run;
                printer.finding(file, line, key, column, Check::Order,
                                "key where " + frenchFile + ":" +
                                    std::to_string(frenchLines[static_cast<std::size_t>(r)]) +
                                    " has " + std::string(id) + " (" +
                                    plural(static_cast<std::size_t>(run), "line", "lines") +
                                    " out of step)");
            }
            if (m & Mark::OtherSection)
                printer.finding(file, e.line, Blanks::trim(e.key), column, Check::Order,
                                "entry outside [Label]: writes never reach it");
            if (m & ~(kOrderMarks | Mark::Untranslated)) {
                const std::string key =
                    (m & Mark::OutOfStep) ? std::string(Blanks::trim(e.key)) : std::string(id);
                for (const auto &f : marks.textFindings(r, c, options.checks))
                    printer.finding(file, e.line, key, column, f.check, f.message);
            }
        }
        if (r < rows)
            printer.finding(file, lastLine + 1, {}, column, Check::Order,
                            plural(static_cast<std::size_t>(rows - r), "label", "labels") +
                                " missing at the end (" + frenchFile + " has " +
                                std::to_string(rows) + " entries, " + file + " has " +
                                std::to_string(r) + ")");
        std::size_t extra = 0, firstExtra = 0;
        while (r >= rows && cursor.next(e)) {
            if (extra++ == 0)
                firstExtra = e.line;
        }
        if (extra > 0)
            printer.finding(file, firstExtra, {}, column, Check::Order,
                            plural(extra, "entry", "entries") + " past the last French label");
    }
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
    const LoadResult loaded = LabelLoader(grid, progress, fs).LoadAllLabels(dir);
    if (!loaded.loaded)
        return totals;
    LabelMarks marks(grid);
    marks.setCodePage(loaded.codePage);
    if (options.checks & checkBit(Check::Spelling))
        marks.setWordChecker(options.words);
    marks.computeAll();
    CheckMutes mutes;
    if (const Result r = mutes.read(dir); !r.ok())
        err << escaped(r.path()) << ": cannot be read; no check is muted\n";
    const CheckTotals found = print(grid, marks, mutes, options, out, unread);
    totals.errors += found.errors;
    totals.warnings += found.warnings;
    totals.muted += found.muted;
    return totals;
}

} // namespace verbolt
