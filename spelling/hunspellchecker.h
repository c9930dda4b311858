#pragma once

#include "wordchecker.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
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

    /// Opens the dictionaries of `columns` on a thread of its own, so that nobody waits
    /// for them to be read who can do something else meanwhile (see ready()).
    void openInBackground(std::vector<std::string> columns);
    /// Returns once those dictionaries are open.
    void waitUntilOpened();

    bool hasLanguage(std::string_view column) override;
    bool ready(std::string_view column) override;
    bool known(std::string_view column, std::string_view word) override;
    std::vector<std::string> suggestions(std::string_view column, std::string_view word) override;

private:
    // Looks strings up by view: a word asked again costs no string.
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const
        {
            return std::hash<std::string_view>{}(s);
        }
    };
    template <class T> using ByName = std::unordered_map<std::string, T, Hash, std::equal_to<>>;
    struct Speller
    {
        std::unique_ptr<Hunspell> hunspell; // null when not installed
        bool latin1 = false;                // the dictionary's words are ISO 8859-1
        bool spell(std::string_view word) const;
    };
    struct Dictionary
    {
        Speller main;
        Speller variant;        // ENGLISH: the British spellings too (en_GB), when installed
        bool compounds = false; // GERMAN: a word of two known words is known
        ByName<bool> answers;
    };
    static Speller load(const std::string &base);
    // What the dictionary says of a word not asked about before.
    static bool lookUp(const Dictionary &d, std::string_view word);
    // The column's dictionary, opened and kept the first time; under m_mutex held uniquely.
    Dictionary *open(std::string_view column);
    // The same when it is open already; null when not. Under m_mutex, shared is enough.
    Dictionary *opened(std::string_view column);
    static std::string encode(bool latin1, std::string_view word);

    Note m_note;
    std::string m_folder;
    // Shared for answers known already (the threads of a check read them at once), unique
    // to open a dictionary, ask Hunspell (which is not made for threads) or keep an answer.
    std::shared_mutex m_mutex;
    ByName<Dictionary> m_dictionaries;
    std::thread m_opener;               // openInBackground's
    std::atomic<bool> m_opening{false}; // while it reads
};

} // namespace verbolt
