// Benchmarks of the toolkit-free layers on generated label sets, each beside the plain cost
// of the file work it cannot avoid, so that run.sh can report the ratio of the two.
//
// Sets are generated under $TMPDIR (default /tmp) and removed at exit; keep TMPDIR on the
// disk the labels would live on, since Apply and Duplicate include fsync.

#include "labeleditor.h"
#include "labelfilter.h"
#include "labelgen.h"
#include "labelgrid.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "labelsession.h"
#include "labelview.h"
#include "languagetable.h"
#include "loadprogress.h"

#include <algorithm>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace verbolt;

// The directory every set of this run lives in.
class Scratch
{
public:
    static Scratch &instance()
    {
        static Scratch s;
        return s;
    }
    /// A freshly generated set of `labels` (seed 1) in its own directory, made once per name.
    const std::string &set(std::size_t labels, const std::string &purpose,
                           bench::IdShape shape = bench::IdShape::Plain)
    {
        const std::string key = purpose +
                                (shape == bench::IdShape::Realistic ? "-realistic-" : "-") +
                                std::to_string(labels);
        auto it = m_sets.find(key);
        if (it == m_sets.end()) {
            const std::string dir = m_root + key + "/";
            std::filesystem::create_directory(dir);
            bench::generateLabelSet(dir, labels, 1, shape);
            it = m_sets.emplace(key, dir).first;
        }
        return it->second;
    }
    ~Scratch() { std::filesystem::remove_all(m_root); }

private:
    Scratch()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/verbolt-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern + "/";
    }
    std::string m_root;
    std::map<std::string, std::string> m_sets;
};

// The window as the editing commands see it: fields, selection and drop-downs are set by the
// benchmark; messages are kept so that a failed write shows as an error.
class FakeView : public LabelView
{
public:
    int selectedCount() override { return static_cast<int>(selected.size()); }
    std::vector<int> selectedRows() override { return selected; }
    bool isRowSelected(int row) override
    {
        return std::find(selected.begin(), selected.end(), row) != selected.end();
    }
    void setRowSelected(int, bool) override {}
    void setCurrentRow(int) override {}
    void moveToRow(int) override {}
    void ensureRowVisible(int) override {}
    void focusList() override {}
    void cellsChanged(int, int) override {}
    bool hasField(std::string_view header) override
    {
        return LanguageTable::byColumnName(header) != nullptr;
    }
    std::optional<std::string> fieldText(std::string_view header) override
    {
        return editors[std::string(header)];
    }
    void setFieldText(std::string_view header, std::string_view text) override
    {
        editors[std::string(header)] = text;
    }
    void setFieldEnabled(std::string_view, bool) override {}
    void setApplyEnabled(bool) override {}
    void setShownId(std::string_view) override {}
    void setCommentText(std::string_view) override {}
    std::string dupTargetText() override { return dupTarget; }
    std::string findColumnText() override { return findColumn; }
    std::optional<std::string> findText() override { return find; }
    void showMessage(const std::string &text) override { messages.push_back(text); }
    // The benchmarks replace translations: what Duplicate copies is the point.
    int ask(const std::string &, const std::vector<std::string> &choices, int) override
    {
        return choices.size() > 1 ? 1 : 0;
    }

    std::vector<int> selected;
    std::map<std::string, std::string> editors;
    std::string dupTarget;
    std::string findColumn;
    std::string find;
    std::vector<std::string> messages;
};

// A loaded set with an editor on it, as the window has after start-up.
struct Session
{
    explicit Session(const std::string &dir) : session(opened(dir))
    {
        // The marks as the window has them by the time a translator acts.
        session->marks().computeAll();
        editor = std::make_unique<LabelEditor>(*session, view);
    }
    static std::unique_ptr<LabelSession> opened(const std::string &dir)
    {
        SilentProgress progress;
        std::unique_ptr<LabelSession> s = LabelSession::open(dir, progress);
        if (!s->load().loaded)
            throw std::runtime_error("the set did not load: " + dir);
        return s;
    }
    std::unique_ptr<LabelSession> session;
    LabelGrid &grid = session->editableGrid();
    FakeView view;
    const LoadResult &load = session->load();
    LabelMarks *marks = &session->marks();
    std::unique_ptr<LabelEditor> editor;
};

long minorFaults()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

// Page faults per iteration: fresh memory costs this machine more than reading the bytes.
void countFaults(benchmark::State &state, long before)
{
    state.counters["faults"] = benchmark::Counter(static_cast<double>(minorFaults() - before),
                                                  benchmark::Counter::kAvgIterations);
}

std::string readWhole(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char buf[1 << 16];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        bytes.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

// The least a command that rewrites a file must do: the new bytes to a temporary file
// beside it, fsync, rename over the original.
void replaceWhole(const std::string &path, const std::string &bytes)
{
    std::string temp = path.substr(0, path.rfind('/') + 1) + ".base.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed beside " + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            throw std::runtime_error("write failed");
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        throw std::runtime_error("fsync or rename failed for " + path);
}

void replaceFilesBaseline(benchmark::State &state, const std::vector<std::string_view> &names,
                          bench::IdShape shape)
{
    const auto labels = static_cast<std::size_t>(state.range(0));
    const std::string &dir = Scratch::instance().set(labels, "baseline", shape);
    std::vector<std::pair<std::string, std::string>> files;
    for (std::string_view name : names) {
        const std::string path = dir + std::string(name);
        files.emplace_back(path, readWhole(path));
    }
    for (auto _ : state)
        for (const auto &[path, bytes] : files)
            replaceWhole(path, bytes);
}

// ---- B1: start-up load against a raw scan of the same files

void B1_Load(benchmark::State &state)
{
    const std::string &dir =
        Scratch::instance().set(static_cast<std::size_t>(state.range(0)), "load");
    const long faults = minorFaults();
    for (auto _ : state) {
        auto grid = std::make_unique<LabelGrid>();
        SilentProgress progress;
        LabelLoader loader(*grid, progress);
        const LoadResult r = loader.LoadAllLabels(dir);
        if (!r.loaded || grid->rowCount() != state.range(0))
            state.SkipWithError("the set did not load whole");
        benchmark::DoNotOptimize(grid->rowCount());
        state.PauseTiming(); // freeing the grid is not part of the load
        grid.reset();
        state.ResumeTiming();
    }
    countFaults(state, faults);
}

void B1_RawScan(benchmark::State &state)
{
    const std::string &dir =
        Scratch::instance().set(static_cast<std::size_t>(state.range(0)), "load");
    const long faults = minorFaults();
    for (auto _ : state) {
        std::string buf;
        std::size_t entries = 0;
        for (std::string_view name : bench::kLabelFiles) {
            const int fd = ::open((dir + std::string(name)).c_str(), O_RDONLY | O_CLOEXEC);
            struct stat st
            {
            };
            ::fstat(fd, &st);
            buf.resize(static_cast<std::size_t>(st.st_size) + 1);
            std::size_t used = 0;
            for (ssize_t n; (n = ::read(fd, buf.data() + used, buf.size() - used)) > 0;)
                used += static_cast<std::size_t>(n);
            ::close(fd);
            const char *p = buf.data();
            const char *end = p + used;
            while (p < end) {
                const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
                const char *lineEnd = lf ? lf : end;
                if (std::memchr(p, '=', lineEnd - p))
                    ++entries;
                p = lineEnd + 1;
            }
        }
        benchmark::DoNotOptimize(entries);
    }
    countFaults(state, faults);
}

// ---- B3: Apply with every field changed against replacing the six files whole

void B3_Apply(benchmark::State &state, bench::IdShape shape)
{
    const auto labels = static_cast<std::size_t>(state.range(0));
    Session s(Scratch::instance().set(labels, "apply", shape));
    s.view.selected = {static_cast<int>(labels / 2)};
    s.editor->ShowLine(static_cast<int>(labels / 2));
    const std::map<std::string, std::string> shown = s.view.editors;
    if (shown.size() != 6)
        state.SkipWithError("not six editor fields");
    long round = 0;
    for (auto _ : state) {
        ++round;
        for (const auto &[id, text] : shown)
            s.view.editors[id] = text + " r" + std::to_string(round);
        s.editor->OnApply();
    }
    if (!s.view.messages.empty())
        state.SkipWithError(s.view.messages.front().c_str());
}

void B3_Baseline(benchmark::State &state, bench::IdShape shape)
{
    std::vector<std::string_view> names;
    for (std::string_view name : bench::kLabelFiles) {
        std::string header(name.substr(0, name.find('.')));
        for (char &c : header)
            c = static_cast<char>(c - 'a' + 'A');
        if (LanguageTable::byColumnName(header))
            names.push_back(name);
    }
    if (names.size() != 6)
        state.SkipWithError("not six known languages");
    replaceFilesBaseline(state, names, shape);
}

// ---- B4: Duplicate to "All" against replacing the eight target files whole

void B4_Duplicate(benchmark::State &state, bool scattered, bench::IdShape shape, bool undo = false)
{
    const auto labels = static_cast<std::size_t>(state.range(0));
    Session s(Scratch::instance().set(labels, scattered ? "dup-scattered" : "dup-block", shape));
    if (scattered) {
        for (std::size_t r = 0; r < labels; r += 10)
            s.view.selected.push_back(static_cast<int>(r));
    } else {
        const std::size_t count = std::min<std::size_t>(labels, 10000);
        for (std::size_t r = (labels - count) / 2, k = 0; k < count; ++r, ++k)
            s.view.selected.push_back(static_cast<int>(r));
    }
    s.view.dupTarget = "All";
    std::vector<std::string> french;
    for (int r : s.view.selected)
        french.emplace_back(s.grid.itemText(r, 1));
    long round = 0;
    for (auto _ : state) {
        // New French texts each round, or the second round would change no file.
        state.PauseTiming();
        ++round;
        for (std::size_t k = 0; k < french.size(); ++k)
            s.grid.setItemText(s.view.selected[k], 1, french[k] + (round % 2 ? " (a)" : " (b)"));
        if (undo) // the duplicate is made untimed; its undo is timed
            s.editor->OnDuplicate();
        state.ResumeTiming();
        if (undo)
            s.editor->OnUndo();
        else
            s.editor->OnDuplicate();
    }
    state.counters["rows"] = static_cast<double>(s.view.selected.size());
    if (!s.view.messages.empty())
        state.SkipWithError(s.view.messages.front().c_str());
}

void B4_Baseline(benchmark::State &state, bench::IdShape shape)
{
    std::vector<std::string_view> names(bench::kLabelFiles.begin() + 1, bench::kLabelFiles.end());
    replaceFilesBaseline(state, names, shape);
}

// ---- B8: a label in and out of every file, against replacing the eight files whole (B4's
// baseline); each command's undo, untimed, puts the set back for the next round.

// One command on the middle row, timed; its undo, untimed, puts the set back.
template <class Command>
void B8_MiddleRow(benchmark::State &state, const char *set, Command command)
{
    const auto labels = static_cast<std::size_t>(state.range(0));
    Session s(Scratch::instance().set(labels, set));
    const int middle = static_cast<int>(labels / 2);
    for (auto _ : state) {
        const CommandOutcome done = command(*s.session, middle);
        state.PauseTiming();
        if (!done.problems.empty())
            state.SkipWithError(done.problems.front().c_str());
        s.session->undo();
        state.ResumeTiming();
    }
}

void B8_NewLabel(benchmark::State &state)
{
    B8_MiddleRow(state, "new-label", [](LabelSession &session, int row) {
        return session.addLabel("IDS_BENCH_NEW", "Nouveau", row);
    });
}

void B8_RemoveLabel(benchmark::State &state)
{
    B8_MiddleRow(state, "remove-label",
                 [](LabelSession &session, int row) { return session.removeLabels({row}); });
}

// Duplicate into All of a block of 10,000 labels no language file has: new lines, each at
// its French place.
void B8_DuplicateNew(benchmark::State &state)
{
    const auto labels = static_cast<std::size_t>(state.range(0));
    const std::string &dir = Scratch::instance().set(labels, "duplicate-new");
    const std::size_t count = std::min<std::size_t>(labels, 10000);
    const std::size_t first = (labels - count) / 2;
    // The block's lines out of every language file: entry lines are the n-th label's.
    for (std::size_t f = 1; f < bench::kLabelFiles.size(); ++f) {
        const std::string path = dir + std::string(bench::kLabelFiles[f]);
        const std::string bytes = readWhole(path);
        std::string kept;
        std::size_t entry = 0;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t end = std::min(bytes.find('\n', at), bytes.size() - 1) + 1;
            const std::string_view line(bytes.data() + at, end - at);
            const bool isEntry = !line.starts_with('[') && !line.starts_with(';') &&
                                 line.find('=') != std::string_view::npos;
            if (!isEntry || entry < first || entry >= first + count)
                kept += line;
            entry += isEntry;
            at = end;
        }
        replaceWhole(path, kept);
    }
    Session s(dir);
    for (std::size_t r = first; r < first + count; ++r)
        s.view.selected.push_back(static_cast<int>(r));
    s.view.dupTarget = "All";
    for (auto _ : state) {
        s.editor->OnDuplicate();
        state.PauseTiming();
        s.editor->OnUndo();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(count);
    if (!s.view.messages.empty())
        state.SkipWithError(s.view.messages.front().c_str());
}

// ---- B5: Find next that finds nothing, over every row of FRENCH

void B5_FindNothing(benchmark::State &state)
{
    Session s(Scratch::instance().set(static_cast<std::size_t>(state.range(0)), "load"));
    s.view.find = "zqxj\xE9w"; // in no generated text, in any letter case
    s.view.findColumn = "FRENCH";
    for (auto _ : state) {
        s.editor->OnFindNext();
        if (s.editor->currentLine() != -1)
            state.SkipWithError("the search found something");
    }
}

// ---- B7: the filter over every column, in the slices the window computes it in

// Runs `query` to its result, slice by slice; the peak of what the filter keeps goes to
// `peakBytes`.
void filterTo(LabelFilter &f, const std::string &query, std::size_t &peakBytes)
{
    f.setQuery({query, ShowLines::All, -1});
    while (!f.computeSome(65536))
        peakBytes = std::max(peakBytes, f.memoryBytes());
    peakBytes = std::max(peakBytes, f.memoryBytes());
}

// One more key typed: "fich" becomes "fichi", tested on the rows "fich" shows.
void B7_FilterNarrow(benchmark::State &state)
{
    Session s(Scratch::instance().set(static_cast<std::size_t>(state.range(0)), "load"));
    LabelFilter f(s.grid, *s.marks, s.load.codePage);
    std::size_t peak = 0;
    std::size_t shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        filterTo(f, "fich", peak);
        state.ResumeTiming();
        filterTo(f, "fichi", peak);
        shown = f.shownCount();
    }
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["bytes_per_label"] =
        static_cast<double>(peak) / static_cast<double>(state.range(0));
}

// A fresh query that matches nothing: every cell of every row folded and searched.
void B7_FilterNothing(benchmark::State &state)
{
    Session s(Scratch::instance().set(static_cast<std::size_t>(state.range(0)), "load"));
    LabelFilter f(s.grid, *s.marks, s.load.codePage);
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        filterTo(f, "", peak);
        state.ResumeTiming();
        filterTo(f, "zqxj\xC3\xA9w", peak);
        if (f.shownCount() != 0)
            state.SkipWithError("the filter found something");
    }
    state.counters["bytes_per_label"] =
        static_cast<double>(peak) / static_cast<double>(state.range(0));
}

} // namespace

// Benchmarks are registered here for the sizes asked for: --sizes=10000,100000 (the default).
// The key writes run on both ID shapes: "B3_Apply/plain/100000", "B3_Apply/realistic/100000".
int main(int argc, char **argv)
{
    std::vector<long> sizes = {10000, 100000};
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--sizes=")) {
            sizes.clear();
            for (std::string list(arg.substr(8)); !list.empty();) {
                const std::size_t comma = list.find(',');
                sizes.push_back(std::stol(list.substr(0, comma)));
                list = comma == std::string::npos ? "" : list.substr(comma + 1);
            }
        } else {
            args.push_back(argv[i]);
        }
    }
    const auto add = [&](const std::string &name, auto &&fn) {
        auto *b = benchmark::RegisterBenchmark(name.c_str(), fn);
        for (long n : sizes)
            b->Arg(n);
        b->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("B1_Load", B1_Load);
    add("B1_RawScan", B1_RawScan);
    for (const auto &[shape, tag] : {std::pair{bench::IdShape::Plain, "/plain"},
                                     std::pair{bench::IdShape::Realistic, "/realistic"}}) {
        const bench::IdShape sh = shape;
        add(std::string("B3_Apply") + tag, [sh](benchmark::State &st) { B3_Apply(st, sh); });
        add(std::string("B3_Baseline") + tag, [sh](benchmark::State &st) { B3_Baseline(st, sh); });
        add(std::string("B4_DuplicateBlock") + tag,
            [sh](benchmark::State &st) { B4_Duplicate(st, false, sh); });
        add(std::string("B4_DuplicateScattered") + tag,
            [sh](benchmark::State &st) { B4_Duplicate(st, true, sh); });
        add(std::string("B4_UndoBlock") + tag,
            [sh](benchmark::State &st) { B4_Duplicate(st, false, sh, true); });
        add(std::string("B4_Baseline") + tag, [sh](benchmark::State &st) { B4_Baseline(st, sh); });
    }
    add("B8_NewLabel", B8_NewLabel);
    add("B8_RemoveLabel", B8_RemoveLabel);
    add("B8_DuplicateNew", B8_DuplicateNew);
    add("B5_FindNothing", B5_FindNothing);
    add("B7_FilterNarrow", B7_FilterNarrow);
    add("B7_FilterNothing", B7_FilterNothing);

    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
