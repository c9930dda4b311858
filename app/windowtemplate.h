#pragma once

#include <vector>

namespace verbolt {

/// How a control follows the window as it grows: fractions of the extra width and height
/// added to its position and to its size.
struct Growth
{
    double moveX = 0;
    double moveY = 0;
    double growWidth = 0;
    double growHeight = 0;
};

/// One control of the main window's template, in dialog units.
struct TemplateControl
{
    enum class Kind
    {
        List,
        Edit, // an editor field when `language` is set, else the Find field
        Button,
        Combo,
        Caption, // a language's caption when `language` is set, else `caption`
        Group,
        Line,
        Banner, // the hidden placeholder the banner picture is centred on
        Comment,
        Folder,  // the label folder open
        Summary, // what needs work
        Status,  // a line under the table: what was reloaded, what is refused
    };
    enum Style : unsigned
    {
        Plain = 0,
        Hidden = 1,
        DefaultButton = 2,
    };

    int id;           // IDC_..., or 0 for none
    const char *name; // the object name: the id's name; empty for none
    Kind kind;
    const char *caption;
    int language; // index into LanguageTable::languages(), or -1
    int x, y, width, height;
    unsigned style;
    Growth growth;
};

/// The main window as its template lays it out, in template order, which is also the tab
/// order; the summary of what needs work, which the template has no control for, last.
class WindowTemplate
{
public:
    static constexpr int kWidth = 399;
    static constexpr int kHeight = 324;
    static const std::vector<TemplateControl> &controls();
    /// The control of an id, or nullptr.
    static const TemplateControl *byId(int id);
};

} // namespace verbolt
