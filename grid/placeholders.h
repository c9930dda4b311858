#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// The inserts a program fills into a text (printf conversions, numbered %1 inserts,
/// braced {0} inserts) and its accelerators (&File), and whether a translation keeps those
/// of its French text.
///
/// printf: "%", an optional "n$" position, flags among "-+#0" (a blank is no flag), a width,
/// a precision, a length (hh h l ll L z j t I32 I64 w), a conversion among
/// "diouxXeEfFgGaAcspn"; "%%" is a percent sign. Numbered: "%1" to "%99", optionally followed
/// by "!format!". Braced: "{0}" or "{1:format}"; "{{" and "}}" are braces. A translation
/// holds the French text's unpositioned printf conversions in the same order, and the same
/// positioned, numbered and braced ones in any order.
class Placeholders
{
public:
    /// The placeholders of `text` in the order they stand, each as written.
    static std::vector<std::string_view> of(std::string_view text);
    /// The same appended to `out`, for loops that keep one vector for many texts.
    static void of(std::string_view text, std::vector<std::string_view> &out);
    /// The same, separated by blanks: "%d %s".
    static std::string listed(std::string_view text);
    /// Whether `translation` keeps the placeholders of `french`.
    static bool agree(std::string_view french, std::string_view translation);
    /// What differs, in words: "placeholder %d missing", "placeholder %x not in French",
    /// "placeholders %s %d in another order than in French". Empty when they agree.
    static std::vector<std::string> differences(std::string_view french,
                                                std::string_view translation);

    /// How many accelerators `text` marks: "&" followed by any byte but "&" ("&&" is an
    /// ampersand).
    static int accelerators(std::string_view text);
};

} // namespace verbolt
