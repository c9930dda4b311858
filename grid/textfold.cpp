#include "textfold.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace verbolt {

namespace {

// Base letters of U+00C0-U+017F; 0 where the character folds to another code point or stays.
constexpr std::string_view kLatin1 = // U+00C0-U+00FF
    "aaaaaa\0ceeeeiiii"
    "dnooooo\0ouuuuy\0\0"
    "aaaaaa\0ceeeeiiii"
    "dnooooo\0ouuuuy\0y";
constexpr std::string_view kExtendedA = // U+0100-U+017F
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "ii\0\0jjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oo\0\0rrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

// One byte of a Windows-1252 set, folded: up to three UTF-8 bytes, none for "&".
struct Folded
{
    std::uint8_t length = 0;
    std::array<char, 3> bytes{};
};

std::array<Folded, 256> windows1252Table()
{
    std::array<Folded, 256> table{};
    const TextCodec codec(CodePage::Windows1252);
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const std::string utf8 = codec.toUtf8(std::string_view(&byte, 1));
        const std::string folded = TextFold::foldUtf8(utf8);
        Folded &f = table[static_cast<std::size_t>(b)];
        f.length = static_cast<std::uint8_t>(folded.size());
        for (std::size_t i = 0; i < folded.size() && i < f.bytes.size(); ++i)
            f.bytes[i] = folded[i];
    }
    return table;
}

} // namespace

char32_t TextFold::foldCodePoint(char32_t c)
{
    if (c == U'&')
        return 0;
    if (c >= U'A' && c <= U'Z')
        return c + (U'a' - U'A');
    if (c >= 0xC0 && c <= 0xFF) {
        if (const char base = kLatin1[c - 0xC0])
            return static_cast<char32_t>(base);
        if (c == 0xC6 || c == 0xDE) // Æ Þ
            return c + 0x20;
        return c; // × ÷ ß æ þ
    }
    if (c >= 0x100 && c <= 0x17F) {
        if (const char base = kExtendedA[c - 0x100])
            return static_cast<char32_t>(base);
        return (c & 1) ? c : c + 1; // Ĳ ĳ Œ œ: the small form
    }
    return c;
}

namespace {

// Folds UTF-8 into `out`, which has room for as many bytes: no character folds longer.
std::size_t foldUtf8Into(std::string_view utf8, char *out)
{
    char *p = out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        // Only the two-byte forms of U+0080-U+07FF can fold; everything else is copied.
        if (b >= 0xC2 && b <= 0xDF && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                (char32_t(b & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            const char32_t f = TextFold::foldCodePoint(c);
            if (f >= 0x80) {
                *p++ = static_cast<char>(0xC0 | (f >> 6));
                *p++ = static_cast<char>(0x80 | (f & 0x3F));
            } else if (f) {
                *p++ = static_cast<char>(f);
            }
            i += 2;
            continue;
        }
        if (b < 0x80) {
            if (const char32_t f = TextFold::foldCodePoint(b))
                *p++ = static_cast<char>(f);
        } else {
            *p++ = static_cast<char>(b);
        }
        ++i;
    }
    return static_cast<std::size_t>(p - out);
}

} // namespace

std::string TextFold::foldUtf8(std::string_view utf8)
{
    std::string out(utf8.size(), '\0');
    out.resize(foldUtf8Into(utf8, out.data()));
    return out;
}

void TextFold::appendFolded(std::string_view bytes, std::string &out) const
{
    const std::size_t at = out.size();
    out.resize(at + bytes.size() * kMaxPerByte);
    out.resize(at + foldInto(bytes, out.data() + at));
}

bool TextFold::hasAccentedForms(char folded) const
{
    static const auto forms = [] {
        std::array<std::array<bool, 128>, 2> f{};
        for (char32_t c = 0x80; c <= 0x17F; ++c)
            if (const char32_t base = foldCodePoint(c); base < 0x80)
                f[1][base] = true;
        const std::array<Folded, 256> cp1252 = windows1252Table();
        for (std::size_t b = 0x80; b < 256; ++b)
            if (cp1252[b].length == 1)
                f[0][static_cast<unsigned char>(cp1252[b].bytes[0])] = true;
        return f;
    }();
    const auto c = static_cast<unsigned char>(folded);
    return c >= 0x80 || forms[m_page == CodePage::Utf8 ? 1 : 0][c];
}

bool TextFold::mayHold(std::string_view bytes, char folded, bool orHigh)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const auto c = static_cast<unsigned char>(folded);
    const bool letter = c >= 'a' && c <= 'z';
    // A letter in either case: both have the 0x20 bit once it is set, and no other byte does.
    const std::uint64_t caseBit = letter ? 0x20 * ones : 0;
    const std::uint64_t pattern = c * ones;
    const char *p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        if (orHigh && (x & highs))
            return true;
        const std::uint64_t t = (x | caseBit) ^ pattern;
        if ((t - ones) & ~t & highs) // a byte of t is zero
            return true;
    }
    for (; n > 0; ++p, --n) {
        const auto b = static_cast<unsigned char>(*p);
        if ((orHigh && b >= 0x80) || (letter ? (b | 0x20) : b) == c)
            return true;
    }
    return false;
}

std::size_t TextFold::foldInto(std::string_view bytes, char *out) const
{
    static const std::array<Folded, 256> table = windows1252Table();
    char *p = out;
    if (m_page == CodePage::Utf8) {
        for (std::size_t i = 0; i < bytes.size();) {
            if (static_cast<unsigned char>(bytes[i]) < 0x80) {
                // ASCII folds the same in both code pages.
                const Folded &f = table[static_cast<unsigned char>(bytes[i++])];
                *p = f.bytes[0];
                p += f.length;
                continue;
            }
            std::size_t end = i + 1;
            while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80)
                ++end;
            p += foldUtf8Into(bytes.substr(i, end - i), p);
            i = end;
        }
        return static_cast<std::size_t>(p - out);
    }
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    std::size_t i = 0;
    // Eight ASCII bytes without "&" at a time: only A-Z change, by their 0x20 bit.
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, bytes.data() + i, 8);
        const std::uint64_t amp = x ^ ('&' * ones);
        if ((x & highs) || ((amp - ones) & ~amp & highs)) {
            for (std::size_t j = i; j < i + 8; ++j) {
                const Folded &f = table[static_cast<unsigned char>(bytes[j])];
                p[0] = f.bytes[0];
                p[1] = f.bytes[1];
                p[2] = f.bytes[2];
                p += f.length;
            }
            continue;
        }
        const std::uint64_t fromA = x + (0x80 - 'A') * ones;     // high bit: at least 'A'
        const std::uint64_t pastZ = x + (0x80 - 'Z' - 1) * ones; // high bit: past 'Z'
        x |= ((fromA & ~pastZ) & highs) >> 2;
        std::memcpy(p, &x, 8);
        p += 8;
    }
    for (const char byte : bytes.substr(i)) {
        const Folded &f = table[static_cast<unsigned char>(byte)];
        p[0] = f.bytes[0];
        p[1] = f.bytes[1];
        p[2] = f.bytes[2];
        p += f.length;
    }
    return static_cast<std::size_t>(p - out);
}

std::size_t TextFold::findKey(std::string_view bytes, std::size_t from, char key)
{
    const auto k = static_cast<unsigned char>(key);
    // A letter in either case: both have the 0x20 bit once it is set, and no other byte does.
    const unsigned char caseBit = k >= 'a' && k <= 'z' ? 0x20 : 0;
    const char *const begin = bytes.data();
    const char *p = begin + std::min(from, bytes.size());
    const char *const end = begin + bytes.size();
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(static_cast<char>(k));
    const __m128i bit = _mm_set1_epi8(static_cast<char>(caseBit));
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), bit);
        if (const int m = _mm_movemask_epi8(_mm_cmpeq_epi8(v, want)))
            return static_cast<std::size_t>(p - begin) +
                   static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(m)));
    }
#endif
    for (; p < end; ++p)
        if ((static_cast<unsigned char>(*p) | caseBit) == k)
            return static_cast<std::size_t>(p - begin);
    return std::string_view::npos;
}

std::size_t TextFold::charAfter(std::string_view text, std::size_t at) const
{
    // The units of foldInto: in UTF-8 a two-byte form of U+0080-U+07FF, else one byte.
    const auto b = static_cast<unsigned char>(text[at]);
    if (m_page == CodePage::Utf8 && b >= 0xC2 && b <= 0xDF && at + 1 < text.size() &&
        (static_cast<unsigned char>(text[at + 1]) & 0xC0) == 0x80)
        return at + 2;
    return at + 1;
}

std::size_t TextFold::charBefore(std::string_view text, std::size_t end) const
{
    // A continuation byte after a lead of a two-byte form is that form's second byte: a
    // lead is never a continuation, so no earlier unit can have taken it.
    if (m_page == CodePage::Utf8 && end >= 2 &&
        (static_cast<unsigned char>(text[end - 1]) & 0xC0) == 0x80) {
        const auto lead = static_cast<unsigned char>(text[end - 2]);
        if (lead >= 0xC2 && lead <= 0xDF)
            return end - 2;
    }
    return end - 1;
}

std::size_t TextFold::foldChar(std::string_view unit, char *out) const
{
    return foldInto(unit, out);
}

bool TextFold::matchesAt(std::string_view text, std::size_t at, std::string_view word,
                         std::size_t k) const
{
    char f[2 * kMaxPerByte];
    // Forward from the key: word[k..] against the folded characters from `at` on.
    std::size_t j = k;
    for (std::size_t i = at; j < word.size();) {
        if (i >= text.size())
            return false;
        const std::size_t next = charAfter(text, i);
        const std::size_t n = std::min(foldChar(text.substr(i, next - i), f), word.size() - j);
        if (word.compare(j, n, f, n) != 0)
            return false;
        j += n;
        i = next;
    }
    // Backward from the key: word[..k) against the folded characters before `at`.
    j = k;
    for (std::size_t i = at; j > 0;) {
        if (i == 0)
            return false;
        const std::size_t start = charBefore(text, i);
        const std::size_t n = foldChar(text.substr(start, i - start), f);
        const std::size_t m = std::min(n, j);
        if (word.compare(j - m, m, f + (n - m), m) != 0)
            return false;
        j -= m;
        i = start;
    }
    return true;
}

} // namespace verbolt
