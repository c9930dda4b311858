#include "hunspellchecker.h"

#include <hunspell/hunspell.hxx>

#include <array>
#include <filesystem>
#include <utility>

namespace verbolt {

HunspellChecker::HunspellChecker(Note note, std::string folder)
    : m_note(std::move(note)), m_folder(std::move(folder))
{}

HunspellChecker::~HunspellChecker()
{
    waitUntilOpened();
}

void HunspellChecker::waitUntilOpened()
{
    if (m_opener.joinable())
        m_opener.join();
}

void HunspellChecker::openInBackground(std::vector<std::string> columns)
{
    waitUntilOpened();
    m_opening = true;
    m_opener = std::thread([this, columns = std::move(columns)] {
        for (const std::string &column : columns) {
            const std::unique_lock lock(m_mutex);
            open(column);
        }
        m_opening = false;
    });
}

bool HunspellChecker::ready(std::string_view column)
{
    if (!m_opening)
        return true;
    // Never waits: a dictionary being read holds the lock.
    const std::shared_lock lock(m_mutex, std::try_to_lock);
    return lock.owns_lock() && opened(column) != nullptr;
}

std::string_view HunspellChecker::dictionaryName(std::string_view column)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNames{{
        {"FRENCH", "fr_FR"},
        {"ENGLISH", "en_US"},
        {"ITALIAN", "it_IT"},
        {"SPANISH", "es_ES"},
        {"GERMAN", "de_DE"},
        {"PORTUGUESE", "pt_PT"},
    }};
    for (const auto &[c, name] : kNames)
        if (c == column)
            return name;
    return {};
}

HunspellChecker::Dictionary *HunspellChecker::opened(std::string_view column)
{
    const auto found = m_dictionaries.find(column);
    return found != m_dictionaries.end() ? &found->second : nullptr;
}

HunspellChecker::Dictionary *HunspellChecker::open(std::string_view column)
{
    if (Dictionary *d = opened(column))
        return d;
    Dictionary &d = m_dictionaries[std::string(column)];
    const std::string_view name = dictionaryName(column);
    if (name.empty())
        return &d; // a language of its own: nothing to say
    const std::string base = m_folder + "/" + std::string(name);
    d.main = load(base);
    if (d.main.hunspell) {
        if (column == "ENGLISH")
            d.variant = load(m_folder + "/en_GB");
        d.compounds = column == "GERMAN";
    } else if (m_note) {
        m_note("no " + std::string(name) + " dictionary is installed (" + base +
               ".dic); the spelling of " + std::string(column) + " is not checked");
    }
    return &d;
}

HunspellChecker::Speller HunspellChecker::load(const std::string &base)
{
    Speller s;
    std::error_code ec;
    if (std::filesystem::exists(base + ".aff", ec) && std::filesystem::exists(base + ".dic", ec)) {
        s.hunspell = std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
        const std::string encoding = s.hunspell->get_dict_encoding();
        s.latin1 = encoding == "ISO8859-1" || encoding == "ISO-8859-1";
    }
    return s;
}

bool HunspellChecker::Speller::spell(std::string_view word) const
{
    return hunspell && hunspell->spell(encode(latin1, word));
}

bool HunspellChecker::lookUp(const Dictionary &d, std::string_view word)
{
    if (d.main.spell(word) || d.variant.spell(word))
        return true;
    if (!d.compounds)
        return false;
    // German joins nouns into one word ("Albumeigenschaften") that no dictionary lists:
    // known when it splits into two known words of four bytes or more, the second
    // capitalised as a noun is, the first maybe with a linking "s".
    constexpr std::size_t kPart = 4;
    std::string tail;
    for (std::size_t i = kPart; i + kPart <= word.size(); ++i) {
        if ((static_cast<unsigned char>(word[i]) & 0xC0) == 0x80)
            continue; // inside a character
        const std::string_view head = word.substr(0, i);
        if (!d.main.spell(head) &&
            !(head.size() > kPart && head.back() == 's' && d.main.spell(head.substr(0, i - 1))))
            continue;
        tail.assign(word.substr(i));
        if (d.main.spell(tail))
            return true;
        const auto first = static_cast<unsigned char>(tail[0]);
        if (first >= 'a' && first <= 'z')
            tail[0] = static_cast<char>(first - 0x20);
        else if (first == 0xC3 && tail.size() > 1 && static_cast<unsigned char>(tail[1]) >= 0xA0 &&
                 static_cast<unsigned char>(tail[1]) <= 0xBE)
            tail[1] = static_cast<char>(static_cast<unsigned char>(tail[1]) - 0x20); // ä to Ä
        if (d.main.spell(tail))
            return true;
    }
    return false;
}

std::string HunspellChecker::encode(bool latin1, std::string_view word)
{
    if (!latin1)
        return std::string(word);
    // UTF-8 to ISO 8859-1; a character outside it cannot be in the dictionary.
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto b = static_cast<unsigned char>(word[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < word.size()) {
            out += static_cast<char>(((b & 0x03) << 6) | (word[++i] & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

bool HunspellChecker::hasLanguage(std::string_view column)
{
    {
        std::shared_lock lock(m_mutex);
        if (const Dictionary *d = opened(column))
            return d->main.hunspell != nullptr;
    }
    std::unique_lock lock(m_mutex);
    return open(column)->main.hunspell != nullptr;
}

bool HunspellChecker::known(std::string_view column, std::string_view word)
{
    {
        std::shared_lock lock(m_mutex);
        if (Dictionary *d = opened(column)) {
            if (!d->main.hunspell)
                return true;
            if (const auto it = d->answers.find(word); it != d->answers.end())
                return it->second;
        }
    }
    std::unique_lock lock(m_mutex);
    Dictionary &d = *open(column);
    if (!d.main.hunspell)
        return true;
    if (const auto it = d.answers.find(word); it != d.answers.end())
        return it->second; // another thread asked in between
    const bool answer = lookUp(d, word);
    d.answers.emplace(word, answer);
    return answer;
}

std::vector<std::string> HunspellChecker::suggestions(std::string_view column,
                                                      std::string_view word)
{
    std::unique_lock lock(m_mutex);
    Dictionary &d = *open(column);
    if (!d.main.hunspell)
        return {};
    std::vector<std::string> out = d.main.hunspell->suggest(encode(d.main.latin1, word));
    if (d.main.latin1)
        for (std::string &s : out) {
            std::string utf8;
            for (const char c : s) {
                const auto b = static_cast<unsigned char>(c);
                if (b < 0x80) {
                    utf8 += c;
                } else {
                    utf8 += static_cast<char>(0xC0 | (b >> 6));
                    utf8 += static_cast<char>(0x80 | (b & 0x3F));
                }
            }
            s = std::move(utf8);
        }
    return out;
}

} // namespace verbolt
