#pragma once

#include "controlids.h"
#include "fakeview.h"
#include "labeleditor.h"
#include "labelloader.h"
#include "labelmarks.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace verbolt::test {

/// A label directory loaded as at start-up, with the editing commands on a FakeView: what a
/// translator's window holds while other programs, faults and full disks act on the files.
struct Session
{
    explicit Session(const std::string &dir)
    {
        SilentProgress progress;
        LabelLoader loader(grid, progress);
        load = loader.LoadAllLabels(dir);
        view = std::make_unique<FakeView>(load.codePage);
        marks = std::make_unique<LabelMarks>(grid);
        editor = std::make_unique<LabelEditor>(grid, *marks, *view, dir, load.codePage,
                                               load.commentsName);
    }

    /// A plain click on `row`: the list makes it current and the only selected row.
    void click(int row)
    {
        view->select({row});
        view->current = row;
        editor->ShowLine(row);
    }

    /// Clicks `row`, types the given fields (UTF-8) and presses Apply; returns the messages.
    std::vector<std::string> apply(int row, const std::map<int, std::string> &typed = {})
    {
        click(row);
        for (const auto &[id, text] : typed)
            view->type(id, text);
        view->messages.clear();
        editor->OnApply();
        return view->messages;
    }

    /// Selects `rows` and duplicates their French texts into `target`; returns the messages.
    std::vector<std::string> duplicate(std::set<int> rows, const std::string &target)
    {
        view->select(std::move(rows));
        view->dupTarget = target;
        view->messages.clear();
        editor->OnDuplicate();
        return view->messages;
    }

    std::vector<std::string> headers() const
    {
        std::vector<std::string> out;
        for (int c = 0; const auto h = grid.header(c); ++c)
            out.emplace_back(*h);
        return out;
    }

    LabelGrid grid;
    LoadResult load;
    std::unique_ptr<LabelMarks> marks;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<LabelEditor> editor;
};

inline std::string unableToWrite(const std::string &path)
{
    return "Unable to write the file " + path + ".";
}

} // namespace verbolt::test
