#pragma once

#include <string>
#include <string_view>

namespace verbolt {

/// The language codes of the exchange formats: a language column's ISO 639-1 code, and
/// whether a name or code read from a file stands for a column.
class LanguageCode
{
public:
    /// The code of a language column ("GERMAN" -> "de"); "x-" + the lower-case name for a
    /// language without one.
    static std::string of(std::string_view columnHeader);
    /// Whether `given` (a name in any letter case, a code such as "de-DE", or "x-name")
    /// names the column `columnHeader`.
    static bool names(std::string_view given, std::string_view columnHeader);
};

} // namespace verbolt
