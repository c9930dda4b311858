#include "fakeview.h"

#include "languagetable.h"

namespace verbolt::test {

std::string FakeView::text(const std::string &field) const
{
    const auto it = editors.find(field);
    return it == editors.end() ? std::string() : it->second.value_or("<unstorable>");
}

void FakeView::setRowSelected(int row, bool selected)
{
    if (selected)
        selection.insert(row);
    else
        selection.erase(row);
}

bool FakeView::hasField(std::string_view header)
{
    return LanguageTable::byColumnName(header) != nullptr;
}

std::optional<std::string> FakeView::fieldText(std::string_view header)
{
    const std::string field(header);
    editorsRead.insert(field);
    const auto it = editors.find(field);
    return it == editors.end() ? std::optional<std::string>(std::string()) : it->second;
}

void FakeView::setFieldText(std::string_view header, std::string_view text)
{
    const std::string field(header);
    editors[field] = std::string(text);
    editorsWritten.insert(field);
}

void FakeView::setFieldEnabled(std::string_view header, bool enabled)
{
    const std::string field(header);
    editorEnabled[field] = enabled;
    editorsWritten.insert(field);
}

void FakeView::setApplyEnabled(bool enabled)
{
    applyEnabled = enabled;
    ++applyStateSets;
}

} // namespace verbolt::test
