#include "languagecode.h"

#include "asciifold.h"

#include <utility>

namespace verbolt {

namespace {

constexpr std::pair<std::string_view, std::string_view> kCodes[] = {
    {"FRENCH", "fr"},    {"ENGLISH", "en"},    {"ITALIAN", "it"},   {"SPANISH", "es"},
    {"GERMAN", "de"},    {"PORTUGUESE", "pt"}, {"DUTCH", "nl"},     {"POLISH", "pl"},
    {"SWEDISH", "sv"},   {"DANISH", "da"},     {"FINNISH", "fi"},   {"NORWEGIAN", "no"},
    {"CZECH", "cs"},     {"SLOVAK", "sk"},     {"HUNGARIAN", "hu"}, {"ROMANIAN", "ro"},
    {"GREEK", "el"},     {"TURKISH", "tr"},    {"RUSSIAN", "ru"},   {"UKRAINIAN", "uk"},
    {"JAPANESE", "ja"},  {"CHINESE", "zh"},    {"KOREAN", "ko"},    {"ARABIC", "ar"},
    {"HEBREW", "he"},    {"CATALAN", "ca"},    {"CROATIAN", "hr"},  {"SLOVENIAN", "sl"},
    {"BULGARIAN", "bg"}, {"ESTONIAN", "et"},   {"LATVIAN", "lv"},   {"LITHUANIAN", "lt"},
};

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(AsciiFold::fold(c));
    return out;
}

} // namespace

std::string LanguageCode::of(std::string_view columnHeader)
{
    for (const auto &[name, code] : kCodes)
        if (AsciiFold::equal(name, columnHeader))
            return std::string(code);
    return "x-" + lower(columnHeader);
}

bool LanguageCode::names(std::string_view given, std::string_view columnHeader)
{
    if (given.empty())
        return false;
    if (AsciiFold::equal(given, columnHeader))
        return true;
    const std::string code = of(columnHeader);
    if (AsciiFold::equal(given, code))
        return true;
    if (code.starts_with("x-"))
        return false;
    // "de-DE", "de_AT": the primary subtag decides.
    const std::size_t cut = given.find_first_of("-_");
    return cut != std::string_view::npos && AsciiFold::equal(given.substr(0, cut), code);
}

} // namespace verbolt
