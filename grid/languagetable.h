#pragma once

#include <array>
#include <string_view>

namespace verbolt {

/// One of the six known languages: the window has an editor field for each.
struct Language
{
    std::string_view columnName;    // the column header, e.g. "ENGLISH"
    std::string_view caption;       // caption beside the field
    std::string_view extractOutput; // e.g. "english.txt", empty for none
};

/// The fixed table of known languages, in the order the lookups try them.
class LanguageTable
{
public:
    static const std::array<Language, 6> &languages();
    /// The language whose column name equals `header` byte for byte, or nullptr.
    static const Language *byColumnName(std::string_view header);
    /// The language named `name` in any ASCII letter case ("english", "English"), or nullptr.
    static const Language *byName(std::string_view name);
};

} // namespace verbolt
