#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verbolt {

/// What the editing commands need of the window's editing panel: one field per language
/// column that has one (named by its column), Apply, the comment line, the Duplicate target
/// and the search. Texts are bytes of the run's code page.
class FieldsView
{
public:
    virtual ~FieldsView() = default;

    /// Whether the window has a field for this language column (by its header).
    virtual bool hasField(std::string_view header) = 0;
    /// A field's text; nothing when the run's code page cannot hold what was typed.
    virtual std::optional<std::string> fieldText(std::string_view header) = 0;
    virtual void setFieldText(std::string_view header, std::string_view text) = 0;
    virtual void setFieldEnabled(std::string_view header, bool enabled) = 0;
    virtual void setApplyEnabled(bool enabled) = 0;
    /// The ID of the line the fields show (empty: none).
    virtual void setShownId(std::string_view id) = 0;
    virtual void setCommentText(std::string_view text) = 0;

    virtual std::string dupTargetText() = 0;
    virtual std::string findColumnText() = 0;
    virtual std::optional<std::string> findText() = 0;
};

} // namespace verbolt
