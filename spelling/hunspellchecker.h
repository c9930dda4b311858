#pragma once

#include "wordchecker.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Hunspell;

namespace verbolt {

/// The languages' words from the Hunspell dictionaries installed in `folder`. A language's
/// dictionary is opened the first time it is asked for; when it is not installed, `note` is
/// told once and its words count as known. Answers are kept, so each distinct word costs one
/// look-up.
class HunspellChecker : public WordChecker
{
public:
    using Note = std::function<void(const std::string &)>;
    explicit HunspellChecker(Note note = {}, std::string folder = "/usr/share/hunspell");
    ~HunspellChecker() override;

    /// The dictionary file name (without .aff/.dic) of a column's language, or empty.
    static std::string_view dictionaryName(std::string_view column);

    bool hasLanguage(std::string_view column) override;
    bool known(std::string_view column, std::string_view word) override;
    std::vector<std::string> suggestions(std::string_view column, std::string_view word) override;

private:
    struct Dictionary
    {
        std::unique_ptr<Hunspell> hunspell; // null when not installed
        bool latin1 = false;                // the dictionary's words are ISO 8859-1
        std::unordered_map<std::string, bool> answers;
    };
    Dictionary *open(std::string_view column); // under m_mutex
    std::string encode(const Dictionary &d, std::string_view word) const;

    Note m_note;
    std::string m_folder;
    std::mutex m_mutex;
    std::unordered_map<std::string, Dictionary> m_dictionaries;
};

} // namespace verbolt
