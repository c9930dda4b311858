#include "fakeview.h"

namespace verbolt::test {

std::string FakeView::text(int editorId) const
{
    const auto it = editors.find(editorId);
    return it == editors.end() ? std::string() : it->second.value_or("<unstorable>");
}

void FakeView::setRowSelected(int row, bool selected)
{
    if (selected)
        selection.insert(row);
    else
        selection.erase(row);
}

std::optional<std::string> FakeView::editorText(int editorId)
{
    editorsRead.insert(editorId);
    const auto it = editors.find(editorId);
    return it == editors.end() ? std::optional<std::string>(std::string()) : it->second;
}

void FakeView::setEditorText(int editorId, std::string_view text)
{
    editors[editorId] = std::string(text);
    editorsWritten.insert(editorId);
}

void FakeView::setEditorEnabled(int editorId, bool enabled)
{
    editorEnabled[editorId] = enabled;
    editorsWritten.insert(editorId);
}

void FakeView::setApplyEnabled(bool enabled)
{
    applyEnabled = enabled;
    ++applyStateSets;
}

} // namespace verbolt::test
