#pragma once

#include "asuser.h"
#include "fakeview.h"
#include "labeleditor.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "tempdir.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace verbolt::test {

/// A label directory on disk, loaded as at start-up, with the editor on a FakeView.
struct Workspace
{
    TempDir dir;
    LabelGrid grid;
    LoadResult load;
    std::unique_ptr<LabelMarks> marks;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<LabelEditor> editor;

    /// Runs the start-up load and sets the window up as the main window does after it.
    void start()
    {
        SilentProgress progress;
        LabelLoader loader(grid, progress);
        load = loader.LoadAllLabels(dir.path());
        view = std::make_unique<FakeView>(load.codePage);
        marks = std::make_unique<LabelMarks>(grid);
        view->dupTarget = load.dupTargets.empty() ? "" : load.dupTargets.front();
        view->findColumn = load.findColumns.empty() ? "" : load.findColumns.front();
        editor = std::make_unique<LabelEditor>(grid, *marks, *view, dir.path(), load.codePage,
                                               load.commentsName);
        editor->ShowLine(-1);
    }

    /// A plain click on `row`: the list makes it current and the only selected row.
    void click(int row)
    {
        view->select({row});
        view->current = row;
        editor->ShowLine(row);
    }

    std::vector<std::string> headers() const
    {
        std::vector<std::string> out;
        for (int c = 0; const auto h = grid.header(c); ++c)
            out.emplace_back(*h);
        return out;
    }
    std::vector<std::string> column(int c) const
    {
        std::vector<std::string> out;
        for (int r = 0; r < grid.rowCount(); ++r)
            out.emplace_back(grid.itemText(r, c));
        return out;
    }
    /// Every cell, row by row: to show a command left the grid alone.
    std::vector<std::vector<std::string>> cells() const
    {
        std::vector<std::vector<std::string>> out;
        for (int c = 0; grid.header(c); ++c)
            out.push_back(column(c));
        return out;
    }
};

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
