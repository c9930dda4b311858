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

private:
    CodePage m_page;
};

} // namespace verbolt
