#include "textcodec.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <locale.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace verbolt {

namespace {

// Windows-1252 0x80-0x9F. The five bytes the code page leaves unassigned map to the C1
// controls of the same value, so every byte has a character and converts back.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<unsigned char, 256> makeCp1252Upper()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            t[c] = static_cast<unsigned char>(c - 0x20);
    t[0x9A] = 0x8A;
    t[0x9C] = 0x8C;
    t[0x9E] = 0x8E;
    t[0xFF] = 0x9F;
    return t;
}
constexpr std::array<unsigned char, 256> kCp1252Upper = makeCp1252Upper();

// For each capital the other byte that upper-cases to it (its small letter), else itself:
// every upper-cased byte has at most these two, so a search tests two bytes, not a table.
constexpr std::array<unsigned char, 256> makeCp1252Other()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 256; ++i)
        if (kCp1252Upper[i] != i)
            t[kCp1252Upper[i]] = static_cast<unsigned char>(i);
    return t;
}
constexpr std::array<unsigned char, 256> kCp1252Other = makeCp1252Other();

// UTF-8 of each Windows-1252 byte: its length, then its bytes.
constexpr std::array<std::array<char, 4>, 256> makeCp1252Utf8()
{
    std::array<std::array<char, 4>, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const char32_t c = b < 0x80 || b >= 0xA0 ? static_cast<char32_t>(b) : kCp1252High[b - 0x80];
        if (c < 0x80) {
            t[b] = {1, static_cast<char>(c)};
        } else if (c < 0x800) {
            t[b] = {2, static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            t[b] = {3, static_cast<char>(0xE0 | (c >> 12)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return t;
}
constexpr std::array<std::array<char, 4>, 256> kCp1252Utf8 = makeCp1252Utf8();

// Whether the Windows-1252 upper case of `haystack` holds `upperNeedle` (not empty): where it
// does, each byte there upper-cases to the needle's byte. Candidates are the places of the
// needle's first byte or of its small letter, found sixteen bytes at a time; the same answer
// as upper-casing the haystack and searching it, without writing anything.
bool cp1252ContainsUpper(std::string_view haystack, std::string_view upperNeedle)
{
    if (haystack.size() < upperNeedle.size())
        return false;
    const auto *h = reinterpret_cast<const unsigned char *>(haystack.data());
    const auto *n = reinterpret_cast<const unsigned char *>(upperNeedle.data());
    const std::size_t m = upperNeedle.size();
    const std::size_t starts = haystack.size() - m + 1;
    const unsigned char first = n[0];
    const unsigned char other = kCp1252Other[first];
    const auto matchesAt = [&](std::size_t i) {
        for (std::size_t k = 0; k < m; ++k)
            if (kCp1252Upper[h[i + k]] != n[k])
                return false;
        return true;
    };
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(static_cast<char>(first));
    const __m128i b = _mm_set1_epi8(static_cast<char>(other));
    for (; i + 16 <= starts; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(h + i));
        auto hits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b))));
        for (; hits != 0; hits &= hits - 1)
            if (matchesAt(i + static_cast<unsigned>(std::countr_zero(hits))))
                return true;
    }
#endif
    for (; i < starts; ++i)
        if ((h[i] == first || h[i] == other) && matchesAt(i))
            return true;
    return false;
}

// Decodes one strict UTF-8 character at `i`; returns its length, or 0 when the bytes there
// are not a valid character (overlong forms, surrogates and values past U+10FFFF included).
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t &out)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t len;
    char32_t c;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    out = c;
    return len;
}

locale_t utf8Locale()
{
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

char32_t upperChar(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c == 0x00DF) // sharp s has no one-character capital in common use; it stays
        return c;
    locale_t loc = utf8Locale();
    if (!loc)
        return c;
    const auto u = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc));
    return u == 0 ? c : u;
}

// The offset of the first byte of 0x80 or above, or the size; eight bytes at a time.
std::size_t firstHighByte(std::string_view bytes, std::size_t i = 0)
{
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        if (w & 0x8080808080808080ull)
            break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

void TextCodec::appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool TextCodec::isValidUtf8(std::string_view text)
{
    char32_t c;
    for (std::size_t i = firstHighByte(text); i < text.size(); i = firstHighByte(text, i)) {
        const std::size_t len = decodeUtf8(text, i, c);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

TextCodec::Evidence TextCodec::evidence(std::string_view text)
{
    Evidence e;
    e.high = firstHighByte(text) < text.size();
    e.utf8 = !e.high || isValidUtf8(text);
    return e;
}

CodePage TextCodec::chooseFrom(const std::vector<Evidence> &evidence)
{
    bool anyHigh = false;
    for (const Evidence &e : evidence) {
        if (!e.utf8)
            return CodePage::Windows1252;
        anyHigh = anyHigh || e.high;
    }
    return anyHigh ? CodePage::Utf8 : CodePage::Windows1252;
}

CodePage TextCodec::choose(const std::vector<std::string_view> &texts)
{
    std::vector<Evidence> evidence;
    for (std::string_view t : texts)
        evidence.push_back(TextCodec::evidence(t));
    return chooseFrom(evidence);
}

std::string TextCodec::toUtf8(std::string_view bytes) const
{
    std::string out(bytes.size() * kMaxUtf8PerByte, '\0');
    out.resize(toUtf8Into(bytes, out.data()));
    return out;
}

std::size_t TextCodec::toUtf8Into(std::string_view bytes, char *out) const
{
    char *const start = out;
    if (m_page == CodePage::Windows1252) {
        std::size_t i = 0;
        if constexpr (std::endian::native == std::endian::little) {
            // Accents are few: eight bytes are copied at a time, up to the first byte of
            // 0x80 or above, which alone goes through the table.
            for (std::uint64_t w; i + 8 <= bytes.size();) {
                std::memcpy(&w, bytes.data() + i, 8);
                std::memcpy(out, &w, 8);
                const std::uint64_t high = w & 0x8080808080808080ull;
                const std::size_t ascii = high ? std::countr_zero(high) / 8 : 8;
                out += ascii;
                i += ascii;
                if (ascii < 8) {
                    const auto &utf8 = kCp1252Utf8[static_cast<unsigned char>(bytes[i++])];
                    std::memcpy(out, utf8.data() + 1, 3);
                    out += utf8[0];
                }
            }
        }
        for (; i < bytes.size(); ++i) {
            const auto &utf8 = kCp1252Utf8[static_cast<unsigned char>(bytes[i])];
            // Three bytes written whatever the length: the caller's room allows it.
            std::memcpy(out, utf8.data() + 1, 3);
            out += utf8[0];
        }
        return static_cast<std::size_t>(out - start);
    }
    char32_t c;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            *out++ = bytes[i++];
            continue;
        }
        const std::size_t len = decodeUtf8(bytes, i, c);
        if (len == 0) {
            std::memcpy(out, "\xEF\xBF\xBD", 3); // U+FFFD
            out += 3;
            ++i;
        } else {
            std::memcpy(out, bytes.data() + i, len);
            out += len;
            i += len;
        }
    }
    return static_cast<std::size_t>(out - start);
}

std::optional<std::string> TextCodec::fromUtf8(std::string_view utf8) const
{
    if (m_page == CodePage::Utf8) {
        if (!isValidUtf8(utf8))
            return std::nullopt;
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    char32_t c;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = decodeUtf8(utf8, i, c);
        if (len == 0)
            return std::nullopt;
        i += len;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == c) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        if (!found)
            return std::nullopt;
    }
    return out;
}

void TextCodec::upperInto(std::string_view bytes, std::string &out) const
{
    out.clear();
    if (m_page == CodePage::Windows1252) {
        out.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = static_cast<char>(kCp1252Upper[static_cast<unsigned char>(bytes[i])]);
        return;
    }
    out.reserve(bytes.size());
    char32_t c;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>((b >= 'a' && b <= 'z') ? b - 0x20 : b);
            ++i;
            continue;
        }
        const std::size_t len = decodeUtf8(bytes, i, c);
        if (len == 0) { // a stray byte is kept as it is
            out += bytes[i];
            ++i;
            continue;
        }
        TextCodec::appendUtf8(out, upperChar(c));
        i += len;
    }
}

std::string TextCodec::upper(std::string_view bytes) const
{
    std::string out;
    upperInto(bytes, out);
    return out;
}

bool TextCodec::containsUpper(std::string_view haystack, std::string_view upperNeedle,
                              std::string &scratch) const
{
    if (upperNeedle.empty())
        return true;
    if (m_page == CodePage::Windows1252)
        return cp1252ContainsUpper(haystack, upperNeedle);
    // A text without a byte of 0x80 or above upper-cases as in Windows-1252, and every byte of
    // it is a character boundary.
    if (firstHighByte(haystack) == haystack.size())
        return cp1252ContainsUpper(haystack, upperNeedle);
    upperInto(haystack, scratch);
    // In UTF-8 a match counts only where it starts on a character boundary.
    for (std::size_t pos = scratch.find(upperNeedle); pos != std::string::npos;
         pos = scratch.find(upperNeedle, pos + 1))
        if ((static_cast<unsigned char>(scratch[pos]) & 0xC0) != 0x80)
            return true;
    return false;
}

std::string_view TextCodec::prefix(std::string_view bytes, std::size_t maxBytes) const
{
    if (bytes.size() <= maxBytes)
        return bytes;
    std::size_t end = maxBytes;
    if (m_page == CodePage::Utf8)
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
    return bytes.substr(0, end);
}

} // namespace verbolt
