#pragma once

#include "textcodec.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace verbolt {

/// Texts folded for matching: letter case, accents and "&" accelerators ignored, so that
/// "fichier" finds "&Fichier" and "FICHIER", and "ecran" finds "Écran". The folded form is
/// UTF-8 whatever the code page, so a query typed in the window (UTF-8) and the cells of a
/// Windows-1252 set compare directly.
///
/// Covered: A-Z, and the letters of Latin-1 (U+00C0-U+00FF) and Latin Extended-A
/// (U+0100-U+017F), which fold to their base letter (é, Ê, ą, Ł, ž → e, e, a, l, z); Æ, Œ,
/// Þ, Ĳ fold to their small form, ß stays. Other scripts are compared as written.
class TextFold
{
public:
    explicit TextFold(CodePage page = CodePage::Windows1252) : m_page(page) {}

    /// Appends the folded form of `bytes` (of this fold's code page) to `out`.
    void appendFolded(std::string_view bytes, std::string &out) const;
    std::string folded(std::string_view bytes) const
    {
        std::string out;
        appendFolded(bytes, out);
        return out;
    }
    /// The same written to `out`, which has room for kMaxPerByte bytes per byte; returns how
    /// many it wrote. For loops over many texts, without a string per text.
    std::size_t foldInto(std::string_view bytes, char *out) const;
    static constexpr std::size_t kMaxPerByte = 3;

    /// The folded form of a UTF-8 text (what the window's fields hold).
    static std::string foldUtf8(std::string_view utf8);

    /// Whether a letter or digit of the folded form (ASCII) is also the fold of bytes of
    /// 0x80 and above in this code page (an accented letter): a byte test for it alone then
    /// misses those.
    bool hasAccentedForms(char folded) const;

    /// Whether `bytes` hold a byte that folds to the ASCII letter or digit `folded`, or may
    /// (any byte of 0x80 and above, when it has accented forms). A quick test, eight bytes
    /// at a time, that tells which texts need folding at all.
    bool mayHold(std::string_view bytes, char folded) const
    {
        return mayHold(bytes, folded, hasAccentedForms(folded));
    }
    /// The same with hasAccentedForms(folded) known: for loops over many texts.
    static bool mayHold(std::string_view bytes, char folded, bool accented);

    /// The folded form of one code point: 0 for one that is dropped ("&").
    static char32_t foldCodePoint(char32_t c);

    /// The first place at or after `from` where `bytes` hold `key`, an ASCII letter (in
    /// either case) or digit without accented forms: no other byte folds to it, so where a
    /// word holding it can match is found without folding. npos when there is none. Sixteen
    /// bytes at a time: a million labels are searched whole this way.
    static std::size_t findKey(std::string_view bytes, std::size_t from, char key);
    /// Whether the folded form of `text` holds `word` with the word's byte `k` folded from
    /// the byte at `at` of `text` (where findKey found the key word[k]): the same answer as
    /// finding `word` in the folded text at that place, folding only around it.
    bool matchesAt(std::string_view text, std::size_t at, std::string_view word,
                   std::size_t k) const;

private:
    // One character of `text` folded: up to three bytes into `out`; returns how many.
    std::size_t foldChar(std::string_view unit, char *out) const;
    // Where the character that ends at `end` begins (the same cut as a fold from the start).
    std::size_t charBefore(std::string_view text, std::size_t end) const;
    // Where the character that begins at `at` ends.
    std::size_t charAfter(std::string_view text, std::size_t at) const;

    CodePage m_page;
};

} // namespace verbolt
