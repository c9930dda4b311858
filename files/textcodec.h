#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

// The byte encoding of one run: chosen once from the label files at start-up.
enum class CodePage
{
    Windows1252,
    Utf8
};

/// Conversions between the run's code page and UTF-8, and the code page's upper-casing.
/// Every byte sequence of Windows-1252 converts to UTF-8 and back unchanged.
class TextCodec
{
public:
    explicit TextCodec(CodePage page = CodePage::Windows1252) : m_page(page) {}

    CodePage page() const { return m_page; }

    /// UTF-8 when every text is valid UTF-8 and at least one holds a byte of 0x80 or above.
    static CodePage choose(const std::vector<std::string_view> &texts);
    /// What one text tells that choice, for a caller that takes the texts one at a time.
    struct Evidence
    {
        bool high = false; // a byte of 0x80 or above
        bool utf8 = true;  // valid UTF-8
    };
    static Evidence evidence(std::string_view text);
    static CodePage chooseFrom(const std::vector<Evidence> &evidence);
    static bool isValidUtf8(std::string_view text);

    /// Bytes of the run's code page as UTF-8 (invalid UTF-8 in a UTF-8 run shows as U+FFFD).
    std::string toUtf8(std::string_view bytes) const;
    /// The same written to `out`, which has room for kMaxUtf8PerByte bytes per byte; returns
    /// how many it wrote. For loops over many texts, without a string per text.
    std::size_t toUtf8Into(std::string_view bytes, char *out) const;
    static constexpr std::size_t kMaxUtf8PerByte = 3;
    /// UTF-8 text as bytes of the run's code page; nothing when a character has no byte form.
    std::optional<std::string> fromUtf8(std::string_view utf8) const;

    /// Upper-cases the way the code page does (a-z always; accented letters too).
    std::string upper(std::string_view bytes) const;
    void upperInto(std::string_view bytes, std::string &out) const;

    /// Whether `haystack`, upper-cased, contains `upperNeedle` (already upper-cased).
    /// `scratch` is reused between calls so a search over many cells allocates once.
    bool containsUpper(std::string_view haystack, std::string_view upperNeedle,
                       std::string &scratch) const;

    /// Appends the UTF-8 form of a code point.
    static void appendUtf8(std::string &out, char32_t c);

    /// The longest prefix of `bytes` of at most `maxBytes` that ends on a character boundary.
    std::string_view prefix(std::string_view bytes, std::size_t maxBytes) const;

private:
    CodePage m_page;
};

} // namespace verbolt
