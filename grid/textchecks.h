#pragma once

#include "textcodec.h"
#include "wordchecker.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace verbolt {

/// The checks a cell can fail, in the order findings of one cell are listed.
enum class Check : std::uint8_t
{
    Order,
    Empty,
    Placeholders,
    Accelerators,
    Escapes,
    Markup,
    Punctuation,
    Spaces,
    Numbers,
    Urls,
    Repeated,
    Inconsistent,
    Spelling,
};
inline constexpr int kCheckCount = 13;
using CheckMask = std::uint32_t;
inline constexpr CheckMask checkBit(Check c)
{
    return CheckMask{1} << static_cast<int>(c);
}
inline constexpr CheckMask kAllChecks = (CheckMask{1} << kCheckCount) - 1;

/// An error is wrong in the product; a warning is worth a look.
enum class Severity : std::uint8_t
{
    Error,
    Warning
};

/// Compares one translation with its French text. Texts are bytes of the run's code page;
/// they are read as UTF-8 (Windows-1252 texts are converted first). One object serves one
/// thread: it keeps its scratch buffers between calls.
class TextChecks
{
public:
    explicit TextChecks(CodePage page = CodePage::Windows1252) : m_codec(page) {}

    /// "punctuation", as given to --check=NAME.
    static std::string_view name(Check check);
    static std::optional<Check> byName(std::string_view name);
    static Severity severity(Check check);

    struct Finding
    {
        Check check;
        std::string message; // UTF-8
    };
    /// What the comparison reads of a French text whatever the translation: worked out once
    /// for a text compared with a translation in every language.
    struct FrenchSide
    {
        std::uint16_t traits = 0;
        bool doubledSpace = false;
    };
    /// `vectors`: with the processor's vector instructions where it has them (the same answer
    /// either way).
    static FrenchSide frenchSide(std::string_view french, bool vectors = true);
    /// The findings of `translation` in the column headed `column` ("ENGLISH", "SPANISH"...)
    /// against `french`, for the checks in `checks` among empty, placeholders, accelerators,
    /// escapes, markup, punctuation, spaces, numbers, urls, repeated and, given a word checker,
    /// spelling (inconsistent needs more than one text). Appended to `out`; `side`, if given,
    /// is frenchSide(french).
    void compare(std::string_view french, std::string_view translation, std::string_view column,
                 CheckMask checks, std::vector<Finding> &out, const FrenchSide *side = nullptr);

    // Each check on UTF-8 texts: what is wrong, in words, or empty when nothing is.
    static std::string escapes(std::string_view french, std::string_view translation);
    static std::string markup(std::string_view french, std::string_view translation);
    /// Judged by the translation's language: only French sets ": ; ! ?" apart with a space.
    static std::string punctuation(std::string_view french, std::string_view translation,
                                   std::string_view column);
    static std::string spaces(std::string_view french, std::string_view translation);
    static std::string numbers(std::string_view french, std::string_view translation);
    static std::string urls(std::string_view french, std::string_view translation);
    static std::string repeated(std::string_view translation, std::string_view column);
    /// Whether a text may hold a word twice in a row: false only when `repeated` finds
    /// nothing in it, told from its bytes far faster than the words are read.
    static bool mayRepeat(std::string_view text);
    /// The words of `translation` that `column`'s dictionary does not know; a word the French
    /// text has too (a name kept as it is) and words with digits are not asked about.
    static std::string spelling(std::string_view french, std::string_view translation,
                                std::string_view column, WordChecker &words);

    /// The dictionaries spelling asks; none (the default) leaves spelling unchecked.
    void setWordChecker(WordChecker *words) { m_words = words; }
    WordChecker *wordChecker() const { return m_words; }

    /// The words of a UTF-8 text as [begin, end) byte ranges: placeholders, escapes, URLs,
    /// e-mail addresses and markup are not words; an accelerator's "&" stays inside its word
    /// (see `plainWord`).
    static std::vector<std::pair<std::size_t, std::size_t>> words(std::string_view text);
    /// A word without its accelerator marks.
    static std::string plainWord(std::string_view word);
    /// The same without a copy when it has none: the word itself, else written to `buffer`.
    static std::string_view plainWord(std::string_view word, std::string &buffer);

private:
    // A number of a text: its digits (kept in m_digits) and how it is written.
    struct Number
    {
        std::size_t digits;
        std::size_t length;
        std::string_view written;
        bool matched; // a number of the other text has the same digits
    };

    /// `text` as UTF-8: itself when `ascii`, else converted into `buffer`.
    std::string_view utf8(std::string_view text, bool ascii, std::string &buffer) const;
    // The same checks on texts already masked down to their prose. `stops`: whether the
    // translation holds any of ": ; ! ?"; `frenchUtf8`, `translationUtf8`: whether each text
    // is UTF-8 (else Windows-1252, as read).
    static std::string punctuationOf(std::string_view french, std::string_view translation,
                                     std::string_view column, bool stops, bool frenchUtf8 = true,
                                     bool translationUtf8 = true);
    std::string numbersOf(std::string_view frenchMask, std::string_view french,
                          std::string_view translationMask, std::string_view translation);
    static void numbersIn(std::string_view mask, std::string_view text, std::vector<Number> &found,
                          std::string &digits);
    std::string urlsOf(std::string_view french, std::string_view translation);
    static std::string repeatedOf(std::string_view translation, std::string_view mask,
                                  std::string_view column);
    std::string spellingOf(std::string_view french, std::string_view frenchMask,
                           std::string_view translation, std::string_view translationMask,
                           std::string_view column, WordChecker &words);
    static std::vector<std::pair<std::size_t, std::size_t>> wordsOf(std::string_view mask);

    TextCodec m_codec;
    WordChecker *m_words = nullptr;
    // Scratch buffers, kept so that a cell costs no allocation once they have grown.
    std::string m_french;
    std::string m_translation;
    std::string m_frenchMask;
    std::string m_translationMask;
    std::vector<std::string_view> m_places;
    std::vector<std::pair<std::size_t, std::size_t>> m_links;
    std::vector<std::pair<std::size_t, std::size_t>> m_frenchLinks;
    std::vector<std::pair<std::size_t, std::size_t>> m_translationLinks;
    std::vector<Number> m_frenchNumbers;
    std::vector<Number> m_translationNumbers;
    std::string m_digits;
    std::string m_word;
    std::vector<std::pair<std::size_t, std::size_t>> m_frenchWords;
    std::vector<std::string> m_unknown;
};

} // namespace verbolt
