#pragma once

#include "asuser.h"
#include "fakeview.h"
#include "faultyfilesystem.h"
#include "labeleditor.h"
#include "labelsession.h"
#include "tempdir.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace verbolt::test {

inline Strings headersOf(const LabelGrid &grid)
{
    Strings out;
    for (int c = 0; const auto h = grid.header(c); ++c)
        out.emplace_back(*h);
    return out;
}

inline Strings columnOf(const LabelGrid &grid, int c)
{
    Strings out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out.emplace_back(grid.itemText(r, c));
    return out;
}

/// A label directory loaded as at start-up, with the editing commands on a FakeView: what a
/// translator's window holds while the tests, other programs and faults act on the files.
struct Session
{
    Session() = default;
    explicit Session(const std::string &dir) { open(dir); }

    /// Runs the start-up load of `dir`, with the editor on a new FakeView.
    void open(const std::string &dir)
    {
        SilentProgress progress;
        editor.reset();
        session = LabelSession::open(dir, progress, fs);
        view = std::make_unique<FakeView>(load().codePage);
        editor = std::make_unique<LabelEditor>(*session, *view);
    }

    /// A plain click on `row`: the list makes it current and the only selected row.
    void click(int row)
    {
        view->select({row});
        view->current = row;
        editor->ShowLine(row);
    }

    /// Clicks `row`, types the given fields (UTF-8) and presses Apply; returns the messages.
    Strings apply(int row, const std::map<std::string, std::string> &typed = {})
    {
        click(row);
        for (const auto &[id, text] : typed)
            view->type(id, text);
        view->messages.clear();
        editor->OnApply();
        return view->messages;
    }

    /// Selects `rows` and duplicates their French texts into `target`; returns the messages.
    Strings duplicate(std::set<int> rows, const std::string &target)
    {
        view->select(std::move(rows));
        view->dupTarget = target;
        view->messages.clear();
        editor->OnDuplicate();
        return view->messages;
    }

    Strings headers() const { return headersOf(grid()); }
    Strings column(int c) const { return columnOf(grid(), c); }
    /// Every cell, row by row: to show a command left the grid alone.
    std::vector<Strings> cells() const
    {
        std::vector<Strings> out;
        for (int c = 0; grid().header(c); ++c)
            out.push_back(column(c));
        return out;
    }

    const LabelGrid &grid() const { return session->grid(); }
    const LoadResult &load() const { return session->load(); }
    LabelMarks &marks() { return session->marks(); }

    FaultyFileSystem fs; // what the session lists and writes through
    std::unique_ptr<LabelSession> session;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<LabelEditor> editor;
};

/// A label directory on disk, loaded by start() and set up as the main window does after
/// its start-up load.
struct Workspace : Session
{
    TempDir dir;

    void start()
    {
        open(dir.path());
        view->dupTarget = load().dupTargets.empty() ? "" : load().dupTargets.front();
        view->findColumn = load().findColumns.empty() ? "" : load().findColumns.front();
        editor->ShowLine(-1);
    }
};

// The window's message for a failed write: which file, then the system's reason.
inline std::string unableToWrite(const std::string &path, const std::string &why)
{
    return "Unable to write the file " + path + ". " + why + ".";
}

/// Every regular file of a directory with its bytes: to show what a command wrote.
inline std::map<std::string, std::string> snapshot(const TempDir &dir)
{
    std::map<std::string, std::string> files;
    for (const auto &e : std::filesystem::directory_iterator(dir.path()))
        if (e.is_regular_file())
            files[e.path().filename().string()] = dir.read(e.path().filename().string());
    return files;
}

} // namespace verbolt::test
