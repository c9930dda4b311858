#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// Knows the words of the languages, by column header ("ENGLISH"). The checks ask it
/// through this interface so that they need no dictionary library. Called from several
/// threads at once.
class WordChecker
{
public:
    virtual ~WordChecker() = default;
    /// Whether `column`'s language has a dictionary; when it has none, its words are not
    /// checked.
    virtual bool hasLanguage(std::string_view column) = 0;
    /// Whether the UTF-8 `word` is a word of `column`'s language.
    virtual bool known(std::string_view column, std::string_view word) = 0;
    /// Words the dictionary offers instead of `word`, best first.
    virtual std::vector<std::string> suggestions(std::string_view column,
                                                 std::string_view word) = 0;
    /// Whether `column`'s words can be asked about now without waiting for its dictionary
    /// to be read (one read on another thread is not ready until it is).
    virtual bool ready(std::string_view column)
    {
        (void)column;
        return true;
    }
};

} // namespace verbolt
