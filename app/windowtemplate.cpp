#include "windowtemplate.h"

#include "controlids.h"

namespace verbolt {

namespace {

using Kind = TemplateControl::Kind;
using enum TemplateControl::Style;

// The extra width goes to the table, and below it, in the template's proportions, to the
// editing panel on the left and the Find group on the right; everything below the table
// moves down with the extra height, which the table takes.
constexpr double kLeft = 0.7;
constexpr Growth kTable{0, 0, 1, 1};
constexpr Growth kBelow{0, 1, 0, 0};
constexpr Growth kBelowWide{0, 1, 1, 0};
constexpr Growth kLeftWide{0, 1, kLeft, 0};
constexpr Growth kLeftEnd{kLeft, 1, 0, 0};
constexpr Growth kRightWide{kLeft, 1, 1 - kLeft, 0};
constexpr Growth kRightEnd{1, 1, 0, 0};
constexpr Growth kCentred{0.5, 0, 0, 0};
// The row under the table: the filter on its left, the status line on its right.
constexpr double kStatusFrom = 0.6;
constexpr Growth kStatus{kStatusFrom, 1, 1 - kStatusFrom, 0};

} // namespace

const std::vector<TemplateControl> &WindowTemplate::controls()
{
    static const std::vector<TemplateControl> table = {
        {IDC_LABEL_LIST, "IDC_LABEL_LIST", Kind::List, "", -1, 3, 52, 391, 86, Plain, kTable},
        {IDC_EDIT_FRENCH, "IDC_EDIT_FRENCH", Kind::Edit, "", 0, 57, 184, 214, 12, Plain, kLeftWide},
        {IDC_EDIT_ENGLISH, "IDC_EDIT_ENGLISH", Kind::Edit, "", 1, 57, 200, 214, 12, Plain,
         kLeftWide},
        {IDC_EDIT_ITALIAN, "IDC_EDIT_ITALIAN", Kind::Edit, "", 2, 57, 216, 214, 12, Plain,
         kLeftWide},
        {IDC_EDIT_SPANISH, "IDC_EDIT_SPANISH", Kind::Edit, "", 3, 57, 232, 214, 12, Plain,
         kLeftWide},
        {IDC_EDIT_GERMAN, "IDC_EDIT_GERMAN", Kind::Edit, "", 4, 57, 248, 214, 12, Plain, kLeftWide},
        {IDC_APPLY, "IDC_APPLY", Kind::Button, "Apply", -1, 221, 280, 50, 14, DefaultButton,
         kLeftEnd},
        {IDC_DUPLICATE, "IDC_DUPLICATE", Kind::Button,
         "Duplicate selected lines from french column into", -1, 8, 301, 156, 14, Plain, kBelow},
        {IDC_DUP_TARGET, "IDC_DUP_TARGET", Kind::Combo, "", -1, 167, 302, 105, 94, Plain,
         kLeftWide},
        {IDC_FIND_TEXT, "IDC_FIND_TEXT", Kind::Edit, "", -1, 325, 185, 63, 12, Plain, kRightWide},
        {IDC_FIND_COLUMN, "IDC_FIND_COLUMN", Kind::Combo, "", -1, 287, 206, 101, 77, Plain,
         kRightWide},
        {IDC_FIND_NEXT, "IDC_FIND_NEXT", Kind::Button, "Find next", -1, 338, 223, 50, 14, Plain,
         kRightEnd},
        {IDOK, "IDOK", Kind::Button, "Close", -1, 345, 306, 50, 14, Plain, kRightEnd},
        {IDC_EXTRACT_FRENCH, "IDC_EXTRACT_FRENCH", Kind::Button, "Extract...", 0, 14, 281, 13, 12,
         Hidden, kBelow},
        {IDC_EXTRACT_ENGLISH, "IDC_EXTRACT_ENGLISH", Kind::Button, "Extract...", 1, 35, 281, 11, 12,
         Hidden, kBelow},
        {IDC_EXTRACT_ITALIAN, "IDC_EXTRACT_ITALIAN", Kind::Button, "Extract...", 2, 55, 281, 35, 12,
         Hidden, kBelow},
        {IDC_EXTRACT_SPANISH, "IDC_EXTRACT_SPANISH", Kind::Button, "Extract...", 3, 97, 281, 35, 12,
         Hidden, kBelow},
        {IDC_EXTRACT_GERMAN, "IDC_EXTRACT_GERMAN", Kind::Button, "Extract...", 4, 138, 281, 35, 12,
         Hidden, kBelow},
        {0, "", Kind::Caption, "", 0, 11, 186, 28, 8, Plain, kBelow},
        {0, "", Kind::Caption, "", 1, 11, 202, 26, 8, Plain, kBelow},
        {0, "", Kind::Caption, "", 2, 11, 218, 22, 8, Plain, kBelow},
        {0, "", Kind::Caption, "", 3, 11, 234, 28, 8, Plain, kBelow},
        {0, "", Kind::Caption, "", 4, 11, 250, 28, 8, Plain, kBelow},
        {0, "", Kind::Group, "Modification", -1, 3, 172, 275, 148, Plain, kLeftWide},
        {0, "", Kind::Line, "", -1, 3, 297, 274, 1, Plain, kLeftWide},
        {IDC_BANNER, "IDC_BANNER", Kind::Banner, "", -1, 3, 1, 390, 47, Plain, kCentred},
        {IDC_COMMENT, "IDC_COMMENT", Kind::Comment, "", -1, 3, 156, 391, 11, Plain, kBelowWide},
        {0, "", Kind::Group, "Find", -1, 282, 172, 112, 71, Plain, kRightWide},
        {0, "", Kind::Caption, "Find what:", -1, 288, 186, 34, 8, Plain, kLeftEnd},
        {IDC_EDIT_PORTUGUESE, "IDC_EDIT_PORTUGUESE", Kind::Edit, "", 5, 57, 264, 214, 12, Plain,
         kLeftWide},
        {0, "", Kind::Caption, "", 5, 11, 266, 39, 8, Plain, kBelow},
        {IDC_FOLDER, "IDC_FOLDER", Kind::Folder, "", -1, 283, 247, 110, 9, Plain, kRightWide},
        {IDC_SUMMARY, "IDC_SUMMARY", Kind::Summary, "", -1, 283, 258, 110, 45, Plain, kRightWide},
        {IDC_STATUS, "IDC_STATUS", Kind::Status, "", -1, 238, 141, 156, 10, Plain, kStatus},
    };
    return table;
}

const TemplateControl *WindowTemplate::byId(int id)
{
    for (const TemplateControl &c : controls())
        if (c.id == id && id != 0)
            return &c;
    return nullptr;
}

} // namespace verbolt
