#include "labelloader.h"

#include "entrycursor.h"
#include "filepath.h"
#include "filereader.h"
#include "labeldirectory.h"
#include "labelencoding.h"
#include "labelreader.h"
#include "parallel.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>

namespace verbolt {

namespace {

struct LanguageFile
{
    LabelFileEntry entry;
    ByteBuffer bytes;
};

} // namespace

int LabelLoader::CountLabelLines(std::string_view bytes)
{
    return LabelReader::countLabelLines(bytes);
}

std::string LabelLoader::languageName(std::string_view fileName, const TextCodec &codec)
{
    const std::size_t dot = fileName.rfind('.');
    return codec.upper(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

void LabelLoader::LoadLanguageColumn(ByteBuffer &&bytes, int column)
{
    if (column >= 2) {
        m_grid.adoptColumn(column,
                           ReadLanguageColumn(std::move(bytes), m_grid.rowCount(), m_progress));
        return;
    }
    // The French column: its lines make the rows.
    m_progress.SetProgressPos(0);
    const std::string_view text = m_grid.adoptColumnBytes(column, std::move(bytes));
    if (m_grid.rowCount() == 0)
        m_grid.reserveRows(m_frenchLines >= 0 ? static_cast<std::size_t>(m_frenchLines)
                                              : static_cast<std::size_t>(CountLabelLines(text)));
    int n = 0;
    EntryCursor cursor(text);
    Entry e;
    while (cursor.next(e)) {
        m_progress.PumpOneMessage();
        m_grid.appendRow(e.keyAsRead, e.value);
        m_progress.SetProgressPos(++n);
    }
}

LabelGrid::LoadedColumn LabelLoader::ReadLanguageColumn(ByteBuffer &&bytes, int rows,
                                                        LoadProgress &progress)
{
    progress.SetProgressPos(0);
    LabelGrid::LoadedColumn out{std::move(bytes), {}};
    const std::string_view text = out.bytes.view();
    // One cell per row: room for them all at once, not by doubling.
    out.cells.reserve(static_cast<std::size_t>(std::max(rows, 0)));
    int n = 0;
    EntryCursor cursor(text);
    Entry e;
    while (cursor.next(e)) {
        progress.PumpOneMessage();
        if (n < rows)
            out.cells.push_back(
                {static_cast<std::uint64_t>(e.value.data() - text.data()), e.value.size()});
        progress.SetProgressPos(++n);
    }
    return out;
}

LoadResult LabelLoader::LoadAllLabels(const std::string &dir)
{
    LoadResult result;
    Listing listing = LabelDirectory::list(dir, m_fs);
    result.listing = listing.result;
    std::vector<LabelFileEntry> &entries = listing.entries;

    // Every label file is read before any is parsed: the code page of the run depends on
    // all of them, and the column headers are upper-cased in it.
    std::vector<LanguageFile> files;
    files.reserve(entries.size());
    std::vector<TextCodec::Evidence> evidence;
    int frenchIndex = -1;
    // The loading window repaints while the files come in: at a million labels they are
    // hundreds of megabytes.
    const std::function<void()> keepPainted = [this] { m_progress.KeepPainted(); };
    // A file whose bytes are not kept is read into its thread's one buffer, looked at and
    // left there for the next: only the kept files are in memory at once.
    struct Read
    {
        Result result = Result::done();
        ByteBuffer bytes; // a kept file's
        TextCodec::Evidence evidence;
        std::string_view readOnly; // why its text cannot be written, if it cannot
    };
    std::vector<ByteBuffer> scratch(static_cast<std::size_t>(std::max(m_threads, 1)));
    const auto kept = [&](const LabelFileEntry &e) {
        return !m_keep || LabelDirectory::isFrench(e.name) || m_keep(e.name);
    };
    // Without their notes wanted, the files not kept are read for the code page only while
    // it is open: once a kept file is not UTF-8, the run is Windows-1252 whatever they hold.
    bool settled = false;
    const auto read = [&](const LabelFileEntry &e, int thread,
                          const std::function<void()> &between) {
        Read r;
        const bool keep = kept(e);
        if (settled && !keep)
            return r; // neither kept nor looked at: says nothing of the code page
        ByteBuffer &into = keep ? r.bytes : scratch[static_cast<std::size_t>(thread)];
        if (keep) {
            FileBuffer c = FileReader::readBuffer(dir + e.name, between);
            r.result = std::move(c.result);
            r.bytes = std::move(c.bytes);
        } else {
            into.clear(); // (the file before is not copied when the buffer grows)
            r.result = FileReader::readInto(dir + e.name, into);
        }
        const std::string_view bytes = r.result.ok() ? into.view() : std::string_view{};
        r.evidence = TextCodec::evidence(bytes);
        r.readOnly = LabelEncoding::whyReadOnly(bytes);
        return r;
    };
    std::vector<std::optional<Read>> early(entries.size());
    const auto readable = [&](const LabelFileEntry &e) {
        return e.kind == LabelFileEntry::Kind::File && FilePath::linksStayIn(dir + e.name, dir);
    };
    if (m_keep && !m_notes)
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (readable(entries[i]) && kept(entries[i])) {
                early[i] = read(entries[i], 0, keepPainted);
                settled = settled || !early[i]->evidence.utf8;
            }
    // With threads, the files are read at once first, each on whichever thread is free.
    if (m_threads > 1) {
        std::vector<std::size_t> wanted;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (!early[i] && readable(entries[i]))
                wanted.push_back(i);
        inParallel(m_threads, wanted.size(), [&](std::size_t k, int thread) {
            early[wanted[k]] = read(entries[wanted[k]], thread, {});
        });
    }
    for (LabelFileEntry &e : entries) {
        if (LabelDirectory::isFrench(e.name)) {
            frenchIndex = static_cast<int>(files.size());
            result.frenchName = e.name;
        }
        ByteBuffer bytes;
        TextCodec::Evidence seen = TextCodec::evidence({});
        // Reads follow the rule of writes: a file linking out of the folder (to a user's
        // other files, to /proc) is not read.
        if (e.kind == LabelFileEntry::Kind::File && !FilePath::linksStayIn(dir + e.name, dir)) {
            result.unread.push_back({e.name, "it links outside the label folder"});
            if (frenchIndex == static_cast<int>(files.size()))
                frenchIndex = -1;
        } else if (e.kind == LabelFileEntry::Kind::File) {
            std::optional<Read> &readEarly = early[files.size()];
            Read r = readEarly ? std::move(*readEarly) : read(e, 0, keepPainted);
            if (r.result.ok())
                bytes = std::move(r.bytes);
            else if (frenchIndex == static_cast<int>(files.size()))
                frenchIndex = -1; // an unreadable French file loads nothing
            seen = r.evidence;
            if (!r.readOnly.empty())
                result.readOnly.push_back({e.name, "its text is " + std::string(r.readOnly)});
        } else if (frenchIndex == static_cast<int>(files.size())) {
            frenchIndex = -1;
        }
        evidence.push_back(seen);
        if (m_keep && frenchIndex != static_cast<int>(files.size()) && !m_keep(e.name))
            bytes = ByteBuffer();
        m_progress.KeepPainted();
        files.push_back({std::move(e), std::move(bytes)});
    }
    const std::string comments = LabelDirectory::findName(dir, "comments.cmt");
    if (!comments.empty())
        result.commentsName = comments;
    if (frenchIndex < 0)
        return result;

    result.codePage = TextCodec::chooseFrom(evidence);
    const TextCodec codec(result.codePage);

    LanguageFile &french = files[static_cast<std::size_t>(frenchIndex)];
    m_frenchLines = CountLabelLines(french.bytes.view());
    // Lines bound the labels from above; only when they are too many are the labels counted.
    if (static_cast<std::size_t>(m_frenchLines) > m_rowLimit &&
        LabelReader::forEachEntry(french.bytes.view(), [](const auto &) {}) > m_rowLimit) {
        result.rows = Result::failed(Result::Failure::TooLarge, 0, dir + french.entry.name);
        return result;
    }
    m_grid.insertColumn("ID", {});
    m_grid.insertColumn("FRENCH", french.entry.name);
    m_progress.SetProgressRange(0, m_frenchLines);
    m_progress.SetStatusText("Load FRENCH labels...");
    // With threads, the language files are parsed while the French one is, each for as many
    // rows as the French file has lines at most, and cut to its rows after.
    struct Parse
    {
        LanguageFile *file;
        LabelGrid::LoadedColumn loaded;
    };
    std::vector<Parse> parses;
    std::thread languages;
    if (m_threads > 1) {
        for (LanguageFile &f : files)
            if (&f != &french && languageName(f.entry.name, codec) != "FRENCH")
                parses.push_back({&f, {}});
        languages = std::thread([&] {
            inParallel(m_threads - 1, parses.size(), [&](std::size_t k, int) {
                SilentProgress quiet;
                parses[k].loaded =
                    ReadLanguageColumn(std::move(parses[k].file->bytes), m_frenchLines, quiet);
            });
        });
    }
    LoadLanguageColumn(std::move(french.bytes), 1);
    if (languages.joinable())
        languages.join();
    result.loaded = true;
    result.dupTargets.emplace_back();

    std::size_t parsed = 0;
    for (LanguageFile &f : files) {
        std::string name = languageName(f.entry.name, codec);
        if (name == "FRENCH") {
            result.findColumns.push_back(name);
            continue;
        }
        result.dupTargets.push_back(name);
        result.findColumns.push_back(name);
        const int column = m_grid.insertColumn(name, f.entry.name);
        if (parsed < parses.size() && parses[parsed].file == &f) {
            LabelGrid::LoadedColumn &loaded = parses[parsed++].loaded;
            if (loaded.cells.size() > static_cast<std::size_t>(m_grid.rowCount()))
                loaded.cells.resize(static_cast<std::size_t>(m_grid.rowCount()));
            m_grid.adoptColumn(column, std::move(loaded));
            continue;
        }
        // The loading window shows UTF-8; the header is bytes of the run's code page.
        m_progress.SetStatusText("Load " + codec.toUtf8(name) + " labels...");
        LoadLanguageColumn(std::move(f.bytes), column);
    }
    result.dupTargets.emplace_back("All");
    return result;
}

} // namespace verbolt
