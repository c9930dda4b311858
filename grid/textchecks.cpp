#include "textchecks.h"

#include "asciifold.h"
#include "placeholders.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace verbolt {

namespace {

struct CheckInfo
{
    std::string_view name;
    Severity severity;
};

constexpr std::array<CheckInfo, kCheckCount> kInfo{{
    {"order", Severity::Error},
    {"empty", Severity::Warning},
    {"placeholders", Severity::Error},
    {"accelerators", Severity::Error},
    {"escapes", Severity::Error},
    {"markup", Severity::Error},
    {"punctuation", Severity::Warning},
    {"spaces", Severity::Warning},
    {"numbers", Severity::Warning},
    {"urls", Severity::Warning},
    {"repeated", Severity::Warning},
    {"inconsistent", Severity::Warning},
    {"spelling", Severity::Warning},
}};

using Range = std::pair<std::size_t, std::size_t>;

// One UTF-8 character: its code point and length (a stray byte stands for itself).
std::pair<char32_t, std::size_t> decode(std::string_view s, std::size_t i)
{
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (i + n > s.size())
        n = 1;
    if (n == 1)
        return {b, 1};
    char32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k)
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return {c, n};
}

bool isBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == 0xA0 || c == 0x202F || c == 0x2009;
}

constexpr bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

constexpr bool isLetter(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c == 0xAA || c == 0xB5 || c == 0xBA)
        return true;
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return false;
    return !(c >= 0x2000 && c <= 0x206F) && !(c >= 0x2E00 && c <= 0x2E7F) &&
           !(c >= 0x3000 && c <= 0x303F) && c != 0xFFFD;
}

bool isAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The URLs and e-mail addresses of a text, in `found`.
void urlRanges(std::string_view s, std::vector<Range> &found)
{
    found.clear();
    const auto urlByte = [](char c) {
        return static_cast<unsigned char>(c) > ' ' && !std::strchr("<>\"'", c) &&
               static_cast<unsigned char>(c) < 0x80;
    };
    const auto trimEnd = [&](std::size_t b, std::size_t e) {
        while (e > b && std::strchr(".,;:!?)", s[e - 1]))
            --e;
        return e;
    };
    std::size_t i = 0;
    for (;; ++i) {
        // The bytes a URL or an address is recognised at.
        while (i < s.size() && s[i] != ':' && s[i] != 'w' && s[i] != 'W' && s[i] != '@')
            ++i;
        if (i >= s.size())
            break;
        std::size_t b = i, e = i;
        if (s.compare(i, 3, "://") == 0) {
            while (b > 0 && (isAsciiAlnum(s[b - 1]) || std::strchr("+.-", s[b - 1])))
                --b;
            if (b == i)
                continue;
            e = i + 3;
        } else if ((s.compare(i, 4, "www.") == 0 || s.compare(i, 4, "WWW.") == 0) &&
                   (i == 0 || !isAsciiAlnum(s[i - 1]))) {
            e = i + 4;
        } else if (s[i] == '@') {
            while (b > 0 && (isAsciiAlnum(s[b - 1]) || std::strchr("._%+-", s[b - 1])))
                --b;
            e = i + 1;
            while (e < s.size() && (isAsciiAlnum(s[e]) || s[e] == '.' || s[e] == '-'))
                ++e;
            e = trimEnd(i + 1, e);
            const std::string_view domain = s.substr(i + 1, e - i - 1);
            if (b == i || domain.find('.') == std::string_view::npos)
                continue;
            found.emplace_back(b, e);
            i = e - 1;
            continue;
        } else {
            continue;
        }
        while (e < s.size() && urlByte(s[e]))
            ++e;
        e = trimEnd(b, e);
        // A match inside one found already (an address's "www." after its "://").
        if (!found.empty() && b < found.back().second) {
            i = e > i ? e - 1 : i;
            continue;
        }
        found.emplace_back(b, e);
        i = e > i ? e - 1 : i;
    }
}

// A markup tag at s[i] == '<': its length, or 0.
std::size_t tagAt(std::string_view s, std::size_t i)
{
    std::size_t k = i + 1;
    if (k < s.size() && s[k] == '/')
        ++k;
    if (k >= s.size() || !((s[k] >= 'a' && s[k] <= 'z') || (s[k] >= 'A' && s[k] <= 'Z')))
        return 0;
    const std::size_t close = s.find_first_of("<>", k);
    if (close == std::string_view::npos || s[close] != '>')
        return 0;
    return close + 1 - i;
}

// What a text holds that lets a check fire at all, learnt in one pass over its bytes: most
// texts are words and blanks, and the checks for the rest are skipped on them.
struct Traits
{
    bool inserts = false;   // "%" or "{": placeholders may stand there
    bool links = false;     // "://", "www.", "WWW." or "@": URLs and addresses may
    bool escapes = false;   // "\\" or "<": escapes or markup may
    bool backslash = false; // "\\"
    bool tag = false;       // "<"
    bool digit = false;
    bool stops = false;   // ":", ";", "!" or "?"
    bool high = false;    // a byte of 0x80 or above: not ASCII
    bool amp = false;     // "&": accelerators may stand there
    bool doubled = false; // two spaces in a row
    bool maskable() const { return inserts || links || escapes; }
};

enum : std::uint16_t
{
    kInsert = 1,
    kColon = 2,
    kW = 4,
    kAt = 8,
    kBackslash = 16,
    kTag = 32,
    kDigit = 64,
    kStop = 128,
    kHigh = 256,
    kAmp = 512,
    kSlash = 1024,
    kDot = 2048,
    kColonSlash = kColon | kSlash,
    kWDot = kW | kDot,
};

// Whether "www." or "WWW." stands in a text: looked for at each dot, the rarer byte.
bool hasWww(std::string_view s)
{
    for (std::size_t dot = s.find('.', 3); dot != std::string_view::npos;
         dot = s.find('.', dot + 1))
        if ((s[dot - 3] == 'w' || s[dot - 3] == 'W') && s[dot - 2] == s[dot - 3] &&
            s[dot - 1] == s[dot - 3])
            return true;
    return false;
}

constexpr std::array<std::uint16_t, 256> kTraitBits = [] {
    std::array<std::uint16_t, 256> t{};
    t['%'] = t['{'] = kInsert;
    t[':'] = kColon | kStop;
    t[';'] = t['!'] = t['?'] = kStop;
    t['w'] = t['W'] = kW;
    t['@'] = kAt;
    t['\\'] = kBackslash;
    t['<'] = kTag;
    t['&'] = kAmp;
    t['/'] = kSlash;
    t['.'] = kDot;
    for (int c = '0'; c <= '9'; ++c)
        t[static_cast<std::size_t>(c)] = kDigit;
    for (std::size_t c = 0x80; c < 0x100; ++c)
        t[c] = kHigh;
    return t;
}();

// The same for a text in a single-byte code page and for its UTF-8 form: neither turns a
// byte of 0x80 or above into an ASCII one.
unsigned traitBits(std::string_view s)
{
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    // Four lanes, so that the bytes do not wait on one another.
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::size_t i = 0;
    for (; i + 4 <= s.size(); i += 4) {
        a |= kTraitBits[p[i]];
        b |= kTraitBits[p[i + 1]];
        c |= kTraitBits[p[i + 2]];
        d |= kTraitBits[p[i + 3]];
    }
    for (; i < s.size(); ++i)
        a |= kTraitBits[p[i]];
    return a | b | c | d;
}

// Whether a text holds two spaces in a row. Eight bytes are looked at a time, each word
// overlapping the last by one byte so that a pair across two words is seen.
bool doubledSpace(std::string_view s)
{
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 7) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        const std::uint64_t x = w ^ 0x2020202020202020ull; // a zero byte for each space
        const std::uint64_t spaces = ~(((x & kLow7) + kLow7) | x | kLow7); // its high bit set
        if (spaces & (spaces >> 8))
            return true;
    }
    for (i = i ? i : 1; i < s.size(); ++i)
        if (s[i] == ' ' && s[i - 1] == ' ')
            return true;
    return false;
}

#if defined(__x86_64__)
// The same two answers sixteen bytes at a time, for processors with SSSE3: each byte's low
// and high half pick bits from two pairs of tables, so that a bit set in both halves' entries
// is one of the signs below; a byte of 0x80 or above has no entries, its own high bit tells.
enum : unsigned
{
    // The first pair's bits.
    kBang = 1,
    kPercent = 2,
    kAmpersand = 4,
    kFullStop = 8,
    kSolidus = 16,
    kDigits = 32,
    kColonSign = 64,
    kSemicolon = 128,
    // The second pair's.
    kLess = 1,
    kQuery = 2,
    kCommercialAt = 4,
    kDoubleU = 8,
    kReverseSolidus = 16,
    kBrace = 32,
};

// The trait bits of a pair's bits, for each value of a byte that ORs them.
constexpr std::array<std::uint16_t, 256> kFirstPairTraits = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b)
        t[b] = static_cast<std::uint16_t>(
            (b & kBang ? kStop : 0) | (b & kPercent ? kInsert : 0) | (b & kAmpersand ? kAmp : 0) |
            (b & kFullStop ? kDot : 0) | (b & kSolidus ? kSlash : 0) | (b & kDigits ? kDigit : 0) |
            (b & kColonSign ? kColon | kStop : 0) | (b & kSemicolon ? kStop : 0));
    return t;
}();
constexpr std::array<std::uint16_t, 256> kSecondPairTraits = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b)
        t[b] = static_cast<std::uint16_t>((b & kLess ? kTag : 0) | (b & kQuery ? kStop : 0) |
                                          (b & kCommercialAt ? kAt : 0) | (b & kDoubleU ? kW : 0) |
                                          (b & kReverseSolidus ? kBackslash : 0) |
                                          (b & kBrace ? kInsert : 0));
    return t;
}();

// What the blocks of a text hold so far.
struct VectorScan
{
    __m128i first, second, high, pairs;
};

// Adds sixteen bytes `v`; `next` holds the bytes one place on, for the pairs of spaces.
__attribute__((target("ssse3"), always_inline)) inline void scanBlock(__m128i v, __m128i next,
                                                                      VectorScan &scan)
{
    // Low halves: '!' 21, '%' 25, '&' 26, '.' 2E, '/' 2F, digits 30-39, ':' 3A, ';' 3B in the
    // first pair; '<' 3C, '?' 3F, '@' 40, 'W' 57 and 'w' 77, '\\' 5C, '{' 7B in the second.
    const __m128i firstLow =
        _mm_setr_epi8(kDigits, kBang | kDigits, kDigits, kDigits, kDigits, kPercent | kDigits,
                      kAmpersand | kDigits, kDigits, kDigits, kDigits, kColonSign,
                      static_cast<char>(kSemicolon), 0, 0, kFullStop, kSolidus);
    const __m128i firstHigh = _mm_setr_epi8(
        0, 0, kBang | kPercent | kAmpersand | kFullStop | kSolidus,
        static_cast<char>(kDigits | kColonSign | kSemicolon), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i secondLow = _mm_setr_epi8(kCommercialAt, 0, 0, 0, 0, 0, 0, kDoubleU, 0, 0, 0,
                                            kBrace, kLess | kReverseSolidus, 0, 0, kQuery);
    const __m128i secondHigh =
        _mm_setr_epi8(0, 0, 0, kLess | kQuery, kCommercialAt, kDoubleU | kReverseSolidus, 0,
                      kDoubleU | kBrace, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i nibble = _mm_set1_epi8(0x0F), space = _mm_set1_epi8(' ');
    const __m128i low = _mm_and_si128(v, nibble);
    const __m128i top = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
    scan.first = _mm_or_si128(scan.first, _mm_and_si128(_mm_shuffle_epi8(firstLow, low),
                                                        _mm_shuffle_epi8(firstHigh, top)));
    scan.second = _mm_or_si128(scan.second, _mm_and_si128(_mm_shuffle_epi8(secondLow, low),
                                                          _mm_shuffle_epi8(secondHigh, top)));
    scan.high = _mm_or_si128(scan.high, v);
    scan.pairs = _mm_or_si128(scan.pairs,
                              _mm_and_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(next, space)));
}

// The bits set in any byte of `v`.
__attribute__((target("ssse3"), always_inline)) inline unsigned anyByte(__m128i v)
{
    v = _mm_or_si128(v, _mm_srli_si128(v, 8));
    v = _mm_or_si128(v, _mm_srli_si128(v, 4));
    v = _mm_or_si128(v, _mm_srli_si128(v, 2));
    v = _mm_or_si128(v, _mm_srli_si128(v, 1));
    return static_cast<unsigned>(_mm_cvtsi128_si32(v)) & 0xFF;
}

__attribute__((target("ssse3"))) std::pair<unsigned, bool> scanSsse3(std::string_view s)
{
    VectorScan scan{_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(),
                    _mm_setzero_si128()};
    const auto load = [](const char *at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    };
    if (s.size() < 16) {
        // A short text, with zeros after it: a zero byte is no sign and no space.
        alignas(16) char rest[32] = {};
        if (!s.empty())
            std::memcpy(rest, s.data(), s.size());
        scanBlock(load(rest), load(rest + 1), scan);
    } else {
        // Blocks that have a byte after them, then the last sixteen bytes (again, in part),
        // whose last byte has none.
        std::size_t i = 0;
        for (; i + 16 < s.size(); i += 16)
            scanBlock(load(s.data() + i), load(s.data() + i + 1), scan);
        const __m128i last = load(s.data() + s.size() - 16);
        scanBlock(last, _mm_srli_si128(last, 1), scan);
    }
    const unsigned bits = kFirstPairTraits[anyByte(scan.first)] |
                          kSecondPairTraits[anyByte(scan.second)] |
                          (_mm_movemask_epi8(scan.high) ? unsigned{kHigh} : 0u);
    return {bits, _mm_movemask_epi8(scan.pairs) != 0};
}

bool hasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// The trait bits of a text and whether it holds two spaces in a row; `vectors`: with the
// processor's vector instructions where it has them.
std::pair<unsigned, bool> scanOf(std::string_view s, bool vectors)
{
#if defined(__x86_64__)
    if (vectors && hasSsse3())
        return scanSsse3(s);
#else
    (void)vectors;
#endif
    return {traitBits(s), doubledSpace(s)};
}

// The traits, packed into the bits of FrenchSide::traits and back.
std::uint16_t packed(const Traits &t)
{
    return static_cast<std::uint16_t>(t.inserts | t.links << 1 | t.escapes << 2 | t.backslash << 3 |
                                      t.tag << 4 | t.digit << 5 | t.stops << 6 | t.high << 7 |
                                      t.amp << 8);
}

Traits unpacked(std::uint16_t b)
{
    Traits t;
    t.inserts = b & 1;
    t.links = b & 2;
    t.escapes = b & 4;
    t.backslash = b & 8;
    t.tag = b & 16;
    t.digit = b & 32;
    t.stops = b & 64;
    t.high = b & 128;
    t.amp = b & 256;
    return t;
}

Traits traitsOf(std::string_view s, bool vectors = true)
{
    const auto [bits, doubled] = scanOf(s, vectors);
    Traits t;
    t.doubled = doubled;
    t.high = bits & kHigh;
    t.inserts = bits & kInsert;
    t.backslash = bits & kBackslash;
    t.tag = bits & kTag;
    t.escapes = t.backslash || t.tag;
    t.digit = bits & kDigit;
    t.stops = bits & kStop;
    t.amp = bits & kAmp;
    t.links = (bits & kAt) || ((bits & kColonSlash) == kColonSlash && s.find("://") != s.npos) ||
              ((bits & kWDot) == kWDot && hasWww(s));
    return t;
}

// The text with its placeholders, escapes, URLs and markup overwritten byte for byte with
// a filler that is neither blank, letter, digit nor punctuation, so what is left is prose,
// its offsets are the text's, and "%d?" keeps no space before its "?". A text with none of
// them is its own mask; otherwise the mask is written to `buffer`.
constexpr char kFiller = '\x01';

std::string_view maskInto(std::string_view s, const Traits &traits, std::string &buffer,
                          std::vector<std::string_view> &places, std::vector<Range> &links)
{
    if (!traits.maskable())
        return s;
    buffer.assign(s.data(), s.size());
    const auto blank = [&](std::size_t b, std::size_t e) {
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(b),
                  buffer.begin() + static_cast<std::ptrdiff_t>(e), kFiller);
    };
    if (traits.inserts) {
        places.clear();
        Placeholders::of(s, places);
        for (const std::string_view p : places) {
            const auto b = static_cast<std::size_t>(p.data() - s.data());
            blank(b, b + p.size());
        }
    }
    if (traits.links) {
        urlRanges(s, links);
        for (const auto &[b, e] : links)
            blank(b, e);
    }
    if (traits.escapes)
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' && i + 1 < s.size()) {
                blank(i, i + 2);
                ++i;
            } else if (s[i] == '<') {
                if (const std::size_t n = tagAt(s, i)) {
                    blank(i, i + n);
                    i += n - 1;
                }
            }
        }
    return buffer;
}

std::string masked(std::string_view s)
{
    std::string buffer;
    std::vector<std::string_view> places;
    std::vector<Range> links;
    const std::string_view m = maskInto(s, traitsOf(s), buffer, places, links);
    return std::string(m);
}

// `before`, `s` in double quotes and `after`, made at once: messages are made for many
// thousand texts.
std::string quoted(std::string_view before, std::string_view s, std::string_view after = {})
{
    std::string out;
    out.reserve(before.size() + s.size() + after.size() + 2);
    out.append(before).append(1, '"').append(s).append(1, '"').append(after);
    return out;
}

std::string quoted(std::string_view s)
{
    return quoted({}, s);
}

std::array<int, 4> escapeCounts(std::string_view s)
{
    std::array<int, 4> n{};
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == '\\') {
            if (const char *p = std::strchr("nt\\\"", s[i + 1]); p && *p)
                ++n[static_cast<std::size_t>(p - "nt\\\"")];
            ++i;
        }
    return n;
}

std::vector<std::string> tags(std::string_view s)
{
    std::vector<std::string> found;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == '<')
            if (const std::size_t n = tagAt(s, i)) {
                std::string t = "<";
                std::size_t k = i + 1;
                if (s[k] == '/')
                    t += s[k++];
                while (k < i + n && isAsciiAlnum(s[k]))
                    t += static_cast<char>(std::tolower(static_cast<unsigned char>(s[k++])));
                found.push_back(t + ">");
                i += n - 1;
            }
    std::sort(found.begin(), found.end());
    return found;
}

// How a text ends once blanks and closing quotes are set aside: ".", ":", ";", "!", "?",
// "…" (also for "...") or nothing.
// The characters of Windows-1252's bytes 0x80 to 0x9F (the others are their own code points).
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
    0x2039, 0x152,  0x8D,   0x17D,  0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};

// `utf8`: whether `s` is UTF-8; else it is Windows-1252, read without converting it.
std::string_view ending(std::string_view s, bool utf8 = true)
{
    // Most texts end with an ASCII character that is neither blank nor closing: nothing is
    // set aside, and the characters before it need not be read.
    const auto last = static_cast<unsigned char>(s.empty() ? ' ' : s.back());
    const bool plain = last < 0x80 && last != ' ' && last != '\t' && last != '"' && last != '\'' &&
                       last != ')' && last != ']';
    std::size_t e = s.size();
    while (!plain && e > 0) {
        std::size_t b = e - 1;
        char32_t c;
        if (utf8) {
            while (b > 0 && (static_cast<unsigned char>(s[b]) & 0xC0) == 0x80)
                --b;
            c = decode(s, b).first;
        } else {
            const auto byte = static_cast<unsigned char>(s[b]);
            c = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
        }
        const bool closing = c == '"' || c == '\'' || c == ')' || c == ']' || c == 0xAB ||
                             c == 0xBB || c == 0x201C || c == 0x201D || c == 0x2019 ||
                             c == 0x201E || c == 0x2039 || c == 0x203A;
        if (!isBlank(c) && !closing)
            break;
        e = b;
    }
    const std::string_view t = s.substr(0, e);
    if (t.ends_with("...") || (utf8 ? t.ends_with("\u2026") : t.ends_with('\x85')))
        return "\u2026";
    // (A NUL byte ends a text too, as the C string search this stood for once found it.)
    if (const char c = t.empty() ? 'x' : t.back();
        c == '.' || c == ':' || c == ';' || c == '!' || c == '?' || c == '\0')
        return t.substr(t.size() - 1);
    return {};
}

std::size_t count(std::string_view s, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = s.find(what); at != std::string_view::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

void lowerAscii(std::string &s)
{
    for (char &c : s)
        c = static_cast<char>(AsciiFold::fold(c));
}

bool hasDigit(std::string_view s)
{
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return isDigit(static_cast<unsigned char>(c)); });
}

// The words of a masked text, each given to `f` as its [begin, end) byte range; `f` returns
// false to stop. An accelerator's "&" stays inside its word; a trailing apostrophe or hyphen
// is not part of it.
template <class F> void forEachWord(std::string_view m, F &&f)
{
    std::size_t i = 0, start = 0;
    bool in = false, letter = false, more = true;
    const auto close = [&](std::size_t end) {
        while (end > start && (m[end - 1] == '\'' || m[end - 1] == '-' || m[end - 1] == '&'))
            --end;
        if (in && letter)
            more = f(start, end);
        in = letter = false;
    };
    // Most bytes are ASCII letters and blanks, and most other letters those of Latin-1
    // (two bytes, the first 0xC3; the multiplication and division signs are no letters).
    const auto letterLength = [&](std::size_t at) -> std::size_t {
        const auto b = static_cast<unsigned char>(m[at]);
        if (static_cast<unsigned char>((b | 0x20) - 'a') < 26)
            return 1;
        if (b == 0xC3 && at + 1 < m.size()) {
            const auto c = static_cast<unsigned char>(m[at + 1]);
            return c >= 0x80 && c < 0xC0 && c != 0x97 && c != 0xB7 ? 2 : 0;
        }
        return 0;
    };
    while (more && i < m.size()) {
        if (std::size_t n = letterLength(i)) {
            if (!in) {
                in = true;
                start = i;
            }
            letter = true;
            do
                i += n;
            while (i < m.size() && (n = letterLength(i)) != 0);
            continue;
        }
        if (m[i] == ' ') {
            close(i++);
            continue;
        }
        const auto [c, n] = decode(m, i);
        const bool accel = c == '&' && i + 1 < m.size() && m[i + 1] != '&';
        const bool joiner = in && (c == '\'' || c == 0x2019 || c == '-');
        if (isLetter(c) || isDigit(c) || accel || joiner) {
            if (!in) {
                in = true;
                start = i;
            }
            letter = letter || isLetter(c);
        } else {
            close(i);
        }
        if (c == '&' && !accel)
            ++i; // "&&" is an ampersand
        i += n;
    }
    if (more)
        close(m.size());
}

// The next byte of a word once its accelerator marks are set aside, from `i` on (moved past
// it); -1 at the word's end.
int nextPlain(std::string_view word, std::size_t &i)
{
    while (i < word.size()) {
        if (word[i] == '&' && (i + 1 == word.size() || word[i + 1] != '&')) {
            ++i; // an accelerator mark
            continue;
        }
        if (word[i] == '&')
            ++i; // "&&" is one ampersand
        return static_cast<unsigned char>(word[i++]);
    }
    return -1;
}

constexpr std::string_view kDoubledSpace = "doubled space";

// Whether two words are the same once accelerators and ASCII letter case are set aside.
bool sameFolded(std::string_view a, std::string_view b)
{
    const auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    std::size_t i = 0, k = 0;
    for (;;) {
        const int x = nextPlain(a, i), y = nextPlain(b, k);
        if (lower(x) != lower(y))
            return false;
        if (x < 0)
            return true;
    }
}

// Whether the plain form of `word` is `plain`.
bool samePlain(std::string_view word, std::string_view plain)
{
    std::size_t i = 0, k = 0;
    for (int c; (c = nextPlain(word, i)) >= 0; ++k)
        if (k >= plain.size() || static_cast<unsigned char>(plain[k]) != c)
            return false;
    return k == plain.size();
}

} // namespace

std::string_view TextChecks::name(Check check)
{
    return kInfo[static_cast<std::size_t>(check)].name;
}

std::optional<Check> TextChecks::byName(std::string_view name)
{
    for (std::size_t i = 0; i < kInfo.size(); ++i)
        if (kInfo[i].name == name)
            return static_cast<Check>(i);
    return std::nullopt;
}

Severity TextChecks::severity(Check check)
{
    return kInfo[static_cast<std::size_t>(check)].severity;
}

std::string TextChecks::escapes(std::string_view french, std::string_view translation)
{
    static constexpr std::array<std::string_view, 4> kNames{"\\n", "\\t", "\\\\", "\\\""};
    const auto f = escapeCounts(french), t = escapeCounts(translation);
    std::string out;
    for (std::size_t k = 0; k < f.size(); ++k)
        if (f[k] != t[k]) {
            if (!out.empty())
                out += ", ";
            out += std::string(kNames[k]) + " " + std::to_string(t[k]) +
                   " times where French has " + std::to_string(f[k]);
        }
    return out;
}

std::string TextChecks::markup(std::string_view french, std::string_view translation)
{
    const auto f = tags(french), t = tags(translation);
    if (f == t)
        return {};
    std::vector<std::string> missing, added;
    std::set_difference(f.begin(), f.end(), t.begin(), t.end(), std::back_inserter(missing));
    std::set_difference(t.begin(), t.end(), f.begin(), f.end(), std::back_inserter(added));
    std::string out;
    for (const auto &tag : missing)
        out += (out.empty() ? "" : ", ") + ("tag " + tag + " missing");
    for (const auto &tag : added)
        out += (out.empty() ? "" : ", ") + ("tag " + tag + " not in French");
    return out;
}

std::string TextChecks::punctuation(std::string_view french, std::string_view translation,
                                    std::string_view column)
{
    return punctuationOf(masked(french), masked(translation), column, true);
}

std::string TextChecks::punctuationOf(std::string_view f, std::string_view t,
                                      std::string_view column, bool stops, bool frenchUtf8,
                                      bool translationUtf8)
{
    std::string out;
    const auto add = [&out](std::string_view s) {
        if (!out.empty())
            out += ", ";
        out += s;
    };
    if (const std::string_view fe = ending(f, frenchUtf8), te = ending(t, translationUtf8);
        fe != te)
        add(fe.empty()   ? quoted("ends with ", te, " where French has no ending mark")
            : te.empty() ? quoted("no ending mark where French ends with ", fe)
                         : quoted("ends with ", te, " where French ends with ") + quoted(fe));
    if (!stops)
        return out; // nothing for the rest to find
    if (column != "FRENCH") {
        // Only French sets : ; ! ? apart with a space.
        for (std::size_t i = 0; i < t.size();) {
            // (Windows-1252's one blank beyond ASCII is the no-break space, as in Latin-1.)
            const auto [c, n] =
                translationUtf8
                    ? decode(t, i)
                    : std::pair<char32_t, std::size_t>(static_cast<unsigned char>(t[i]), 1);
            if (isBlank(c) && i + n < t.size() &&
                (t[i + n] == ':' || t[i + n] == ';' || t[i + n] == '!' || t[i + n] == '?')) {
                add(quoted("a space before ", t.substr(i + n, 1)));
                break;
            }
            i += n;
        }
    }
    if (column == "SPANISH") {
        if (count(t, "?") > count(t, translationUtf8 ? "\u00BF" : "\xBF"))
            add("\"?\" without an opening \"\u00BF\"");
        if (count(t, "!") > count(t, translationUtf8 ? "\u00A1" : "\xA1"))
            add("\"!\" without an opening \"\u00A1\"");
    }
    return out;
}

std::string TextChecks::spaces(std::string_view french, std::string_view translation)
{
    if (doubledSpace(translation) && !doubledSpace(french))
        return std::string(kDoubledSpace);
    return {};
}

std::string TextChecks::numbers(std::string_view french, std::string_view translation)
{
    TextChecks checks;
    return checks.numbersOf(masked(french), french, masked(translation), translation);
}

void TextChecks::numbersIn(std::string_view m, std::string_view s, std::vector<Number> &found,
                           std::string &digits)
{
    found.clear();
    std::size_t i = 0;
    while (i < m.size()) {
        if (!isDigit(static_cast<unsigned char>(m[i]))) {
            ++i;
            continue;
        }
        const std::size_t b = i, first = digits.size();
        for (;;) {
            while (i < m.size() && isDigit(static_cast<unsigned char>(m[i])))
                digits += m[i++];
            if (i >= m.size())
                break;
            const auto [c, n] = decode(m, i);
            const bool mark = c == ',' || c == '.' || c == '\'';
            if (!mark && !isBlank(c))
                break;
            // A blank groups thousands only before three digits and no more.
            std::size_t d = i + n;
            while (d < m.size() && isDigit(static_cast<unsigned char>(m[d])))
                ++d;
            if (d == i + n || (!mark && d - (i + n) != 3))
                break;
            i += n;
        }
        found.push_back({first, digits.size() - first, s.substr(b, i - b), false});
    }
}

std::string TextChecks::numbersOf(std::string_view fm, std::string_view french, std::string_view tm,
                                  std::string_view translation)
{
    m_digits.clear();
    numbersIn(fm, french, m_frenchNumbers, m_digits);
    numbersIn(tm, translation, m_translationNumbers, m_digits);
    const auto digits = [&](const Number &n) {
        return std::string_view(m_digits).substr(n.digits, n.length);
    };
    std::string out;
    for (const Number &number : m_frenchNumbers) {
        // The first translation number of the same digits answers for it.
        const auto it = std::find_if(
            m_translationNumbers.begin(), m_translationNumbers.end(),
            [&](const Number &n) { return !n.matched && digits(n) == digits(number); });
        if (it != m_translationNumbers.end())
            it->matched = true;
        else
            out +=
                (out.empty() ? "" : ", ") + ("number " + std::string(number.written) + " missing");
    }
    for (const Number &n : m_translationNumbers)
        if (!n.matched)
            out +=
                (out.empty() ? "" : ", ") + ("number " + std::string(n.written) + " not in French");
    return out;
}

std::string TextChecks::urls(std::string_view french, std::string_view translation)
{
    TextChecks checks;
    return traitsOf(french).links ? checks.urlsOf(french, translation) : std::string();
}

std::string TextChecks::urlsOf(std::string_view french, std::string_view translation)
{
    std::string out;
    urlRanges(french, m_frenchLinks);
    urlRanges(translation, m_translationLinks);
    for (const auto &[b, e] : m_frenchLinks) {
        const std::string_view url = french.substr(b, e - b);
        bool kept = false;
        for (const auto &[tb, te] : m_translationLinks)
            kept = kept || translation.substr(tb, te - tb) == url;
        if (!kept)
            out += (out.empty() ? "" : ", ") + (quoted(url) + " missing");
    }
    return out;
}

namespace {

// The bytes a word of ASCII letters and digits is made of, for the quick repeat test.
enum : unsigned char
{
    kLetterByte = 1,
    kDigitByte = 2,
};

// Pairs that the language writes on purpose ("I had had", "die die"), in any letter case.
bool allowedTwice(std::string_view column, std::string_view word)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kAllowed{{
        {"ENGLISH", "had"},
        {"ENGLISH", "that"},
        {"GERMAN", "die"},
        {"GERMAN", "das"},
        {"GERMAN", "der"},
        {"GERMAN", "sie"},
        {"FRENCH", "vous"},
        {"FRENCH", "nous"},
    }};
    return std::any_of(kAllowed.begin(), kAllowed.end(), [&](const auto &allowed) {
        return allowed.first == column && AsciiFold::equal(allowed.second, word);
    });
}

constexpr std::array<unsigned char, 256> kWordBytes = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 'a'; c <= 'z'; ++c)
        t[static_cast<std::size_t>(c)] = t[static_cast<std::size_t>(c - 'a' + 'A')] = kLetterByte;
    for (int c = '0'; c <= '9'; ++c)
        t[static_cast<std::size_t>(c)] = kDigitByte;
    return t;
}();

// Where the run of ASCII letters and digits from `i` on ends.
std::size_t wordBytesEnd(const unsigned char *p, std::size_t i, std::size_t n)
{
#if defined(__x86_64__)
    // Sixteen bytes at a time (SSE2, which every x86-64 processor has): most words end in
    // the first sixteen, found without a branch for each byte. A byte is in a range when its
    // distance from the range's start, read unsigned, is below the range's size; flipping
    // the top bits lets the signed comparison read it so.
    const __m128i top = _mm_set1_epi8(static_cast<char>(0x80));
    const auto below = [&](__m128i x, char from, int size) {
        return _mm_cmplt_epi8(_mm_xor_si128(_mm_sub_epi8(x, _mm_set1_epi8(from)), top),
                              _mm_set1_epi8(static_cast<char>(size ^ 0x80)));
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        const __m128i word =
            _mm_or_si128(below(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26), below(v, '0', 10));
        if (const auto other = ~static_cast<unsigned>(_mm_movemask_epi8(word)) & 0xFFFFu)
            return i + static_cast<std::size_t>(std::countr_zero(other));
    }
#endif
    while (i < n && kWordBytes[p[i]])
        ++i;
    return i;
}

// How the quick repeat test reads a character beyond ASCII at `at`: `letter` gives the length
// of a letter, else `joiner` that of a sign that joins the letters around it ("’"), else
// `sign` the length of another sign; none of them, a character it leaves to the full reading.
class Utf8Reading
{
public:
    explicit Utf8Reading(std::string_view s)
        : m_p(reinterpret_cast<const unsigned char *>(s.data())), m_n(s.size())
    {}
    // Characters of two bytes (up to U+07FF) are letters from U+00C0 on, but for × and ÷,
    // and below it only ª, µ and º; longer ones are left to the full reading.
    std::size_t letter(std::size_t at) const
    {
        if (!sign(at))
            return 0;
        const unsigned c = (m_p[at] & 0x1Fu) << 6 | (m_p[at + 1] & 0x3Fu);
        return isLetter(c) ? 2 : 0;
    }
    static std::size_t joiner(std::size_t) { return 0; }
    std::size_t sign(std::size_t at) const
    {
        return m_p[at] >= 0xC2 && m_p[at] <= 0xDF && at + 1 < m_n && (m_p[at + 1] & 0xC0) == 0x80
                   ? 2
                   : 0;
    }

private:
    const unsigned char *m_p;
    std::size_t m_n;
};

// Windows-1252 bytes read as the characters they stand for: each is a letter, "’" or
// another sign.
class Windows1252Reading
{
public:
    explicit Windows1252Reading(std::string_view s)
        : m_p(reinterpret_cast<const unsigned char *>(s.data()))
    {}
    std::size_t letter(std::size_t at) const { return kKinds[m_p[at]] == kLetter; }
    std::size_t joiner(std::size_t at) const { return kKinds[m_p[at]] == kJoiner; }
    std::size_t sign(std::size_t at) const { return kKinds[m_p[at]] != kLetter; }

private:
    enum : unsigned char
    {
        kSign,
        kLetter,
        kJoiner,
    };
    static constexpr std::array<unsigned char, 256> kKinds = [] {
        std::array<unsigned char, 256> t{};
        for (unsigned b = 0x80; b < 0x100; ++b) {
            const char32_t c = b < 0xA0 ? kCp1252High[b - 0x80] : b;
            t[b] = c == 0x2019 ? kJoiner : isLetter(c) ? kLetter : kSign;
        }
        return t;
    }();
    const unsigned char *m_p;
};

enum class QuickRepeat
{
    None,   // no word twice in a row
    Found,  // one, `word`
    Unsure, // words it leaves to the full reading
};

// A word twice in a row read from the bytes, as the full reading would, where that is quick.
// One pass over the bytes, reading words as forEachWord does for characters the reading
// knows; a word is compared with the one before when only spaces stand between them. Other
// characters leave the answer to the full reading, and so does a pair with accelerators
// (its message names the word without them).
template <class Reading>
QuickRepeat quickRepeat(std::string_view m, std::string_view column, std::string_view &word)
{
    const auto *p = reinterpret_cast<const unsigned char *>(m.data());
    const std::size_t n = m.size();
    const Reading reading(m);
    const auto accel = [&](std::size_t at) {
        return p[at] == '&' && at + 1 < n && p[at + 1] != '&';
    };
    // The full reading's comparison: bytes the same but for the case of ASCII letters.
    const auto same = [&](std::size_t b1, std::size_t e1, bool amp1, std::size_t b2, std::size_t e2,
                          bool amp2) {
        if (amp1 || amp2)
            return sameFolded(m.substr(b1, e1 - b1), m.substr(b2, e2 - b2));
        if (e1 - b1 != e2 - b2)
            return false;
        const auto lower = [](unsigned char c) {
            return static_cast<unsigned char>(c - 'A') < 26 ? c | 0x20 : c;
        };
        for (std::size_t k = 0; k < e1 - b1; ++k)
            if (lower(p[b1 + k]) != lower(p[b2 + k]))
                return false;
        return true;
    };
    std::size_t prevBegin = 0, prevEnd = 0;
    bool prev = false;    // a word with a letter came before
    bool prevAmp = false; // it holds an accelerator
    bool clean = false;   // only spaces since its end
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (c >= 0x80 ? !reading.letter(i) : !kWordBytes[c] && !accel(i)) {
            // No word starts here.
            std::size_t length = 1;
            if (c >= 0x80 && !(length = reading.sign(i)))
                return QuickRepeat::Unsure;
            clean = false;
            i += c == '&' ? 2 : length; // "&&" is an ampersand
            continue;
        }
        // A word: letters, digits, accelerators and, inside, joiners.
        const std::size_t begin = i;
        // (Most words start with a letter: their other bytes need not be looked at for one.)
        unsigned seen = c >= 0x80 ? unsigned{kLetterByte} : kWordBytes[c];
        bool amp = false;
        for (;;) {
            if (seen & kLetterByte)
                i = wordBytesEnd(p, i, n);
            else
                while (i < n && kWordBytes[p[i]])
                    seen |= kWordBytes[p[i++]];
            if (i >= n)
                break;
            if (p[i] >= 0x80) {
                if (const std::size_t length = reading.letter(i)) {
                    seen |= kLetterByte;
                    i += length;
                    continue;
                }
                if (const std::size_t length = reading.joiner(i)) {
                    i += length;
                    continue;
                }
                if (reading.sign(i))
                    break; // a sign ends the word
                return QuickRepeat::Unsure;
            }
            if (accel(i)) {
                amp = true;
                ++i;
            } else if (p[i] == '\'' || p[i] == '-') {
                ++i;
            } else {
                break;
            }
        }
        std::size_t end = i;
        while (end > begin && (p[end - 1] == '\'' || p[end - 1] == '-' || p[end - 1] == '&'))
            --end;
        if (!(seen & kLetterByte)) {
            clean = false; // no word: the words on either side are not in a row
            continue;
        }
        if (prev && clean && same(prevBegin, prevEnd, prevAmp, begin, end, amp)) {
            if (amp || prevAmp)
                return QuickRepeat::Unsure;
            word = m.substr(begin, end - begin);
            if (!allowedTwice(column, word))
                return QuickRepeat::Found;
        }
        prev = true;
        prevBegin = begin;
        prevEnd = end;
        prevAmp = amp;
        clean = end == i;
    }
    return QuickRepeat::None;
}

} // namespace

bool TextChecks::mayRepeat(std::string_view m)
{
    std::string_view word;
    return quickRepeat<Utf8Reading>(m, {}, word) != QuickRepeat::None;
}

std::string TextChecks::repeated(std::string_view translation, std::string_view column)
{
    return repeatedOf(translation, masked(translation), column);
}

std::string TextChecks::repeatedOf(std::string_view translation, std::string_view tm,
                                   std::string_view column)
{
    std::string out;
    std::string_view previous;
    std::size_t previousEnd = std::string_view::npos;
    forEachWord(tm, [&](std::size_t begin, std::size_t end) {
        const std::string_view word = translation.substr(begin, end - begin);
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        const bool twice =
            previousEnd != std::string_view::npos &&
            // Most pairs differ at their first letter.
            (lower(previous[0]) == lower(word[0]) || previous[0] == '&' || word[0] == '&') &&
            translation.substr(previousEnd, begin - previousEnd).find_first_not_of(' ') ==
                std::string_view::npos &&
            sameFolded(previous, word);
        previous = word;
        previousEnd = end;
        if (!twice)
            return true;
        std::string a = plainWord(word);
        lowerAscii(a);
        if (std::all_of(a.begin(), a.end(),
                        [](char c) { return isDigit(static_cast<unsigned char>(c)); }) ||
            allowedTwice(column, a))
            return true;
        out = quoted({}, a, " twice in a row");
        return false;
    });
    return out;
}

std::string TextChecks::spelling(std::string_view french, std::string_view translation,
                                 std::string_view column, WordChecker &words)
{
    TextChecks checks;
    return checks.spellingOf(french, masked(french), translation, masked(translation), column,
                             words);
}

std::string TextChecks::spellingOf(std::string_view french, std::string_view fm,
                                   std::string_view translation, std::string_view tm,
                                   std::string_view column, WordChecker &words)
{
    if (!words.hasLanguage(column))
        return {};
    m_unknown.clear();
    bool frenchRead = false; // m_frenchWords holds the French text's words
    forEachWord(tm, [&](std::size_t begin, std::size_t end) {
        // A word joined to another by "+" names a key ("Strg+C", "Ctrl+Shift").
        if ((end < translation.size() && translation[end] == '+') ||
            (begin > 0 && translation[begin - 1] == '+'))
            return true;
        const std::string_view word = plainWord(translation.substr(begin, end - begin), m_word);
        if (hasDigit(word) || words.known(column, word))
            return true;
        // A word the French text has too: a name kept as it is.
        if (!frenchRead) {
            m_frenchWords.clear();
            forEachWord(fm, [&](std::size_t b, std::size_t e) {
                m_frenchWords.emplace_back(b, e);
                return true;
            });
            frenchRead = true;
        }
        const bool inFrench =
            std::any_of(m_frenchWords.begin(), m_frenchWords.end(), [&](const Range &w) {
                return samePlain(french.substr(w.first, w.second - w.first), word);
            });
        if (!inFrench && std::find(m_unknown.begin(), m_unknown.end(), word) == m_unknown.end())
            m_unknown.emplace_back(word);
        return true;
    });
    if (m_unknown.empty())
        return {};
    std::string out = m_unknown.size() == 1 ? "unknown word " : "unknown words ";
    for (std::size_t k = 0; k < m_unknown.size(); ++k)
        out += (k ? ", " : "") + quoted(m_unknown[k]);
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> TextChecks::words(std::string_view text)
{
    return wordsOf(masked(text));
}

std::vector<std::pair<std::size_t, std::size_t>> TextChecks::wordsOf(std::string_view m)
{
    std::vector<Range> found;
    forEachWord(m, [&](std::size_t begin, std::size_t end) {
        found.emplace_back(begin, end);
        return true;
    });
    return found;
}

std::string_view TextChecks::plainWord(std::string_view word, std::string &buffer)
{
    if (word.find('&') == std::string_view::npos)
        return word;
    buffer = plainWord(word);
    return buffer;
}

std::string TextChecks::plainWord(std::string_view word)
{
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '&' && (i + 1 == word.size() || word[i + 1] != '&'))
            continue; // an accelerator mark
        if (word[i] == '&')
            ++i; // "&&" is one ampersand
        out += word[i];
    }
    return out;
}

std::string_view TextChecks::utf8(std::string_view text, bool ascii, std::string &buffer) const
{
    if (ascii || m_codec.page() == CodePage::Utf8)
        return text;
    const std::size_t room = text.size() * TextCodec::kMaxUtf8PerByte;
    if (buffer.size() < room)
        buffer.resize(room);
    return std::string_view(buffer.data(), m_codec.toUtf8Into(text, buffer.data()));
}

TextChecks::FrenchSide TextChecks::frenchSide(std::string_view french, bool vectors)
{
    const Traits t = traitsOf(french, vectors);
    return {packed(t), t.doubled};
}

void TextChecks::compare(std::string_view frenchBytes, std::string_view translationBytes,
                         std::string_view column, CheckMask checks, std::vector<Finding> &out,
                         const FrenchSide *side)
{
    const auto on = [&](Check c) { return (checks & checkBit(c)) != 0; };
    // What each text holds decides which checks can find anything at all.
    const Traits ft = side ? unpacked(side->traits) : traitsOf(frenchBytes);
    const Traits tt = traitsOf(translationBytes);
    const auto add = [&](Check c, std::string message) {
        if (!message.empty())
            out.push_back({c, std::move(message)});
    };
    const auto blank = [](std::string_view s) {
        for (const char c : s)
            if (c != ' ' && c != '\t')
                return false;
        return true;
    };
    if (blank(translationBytes)) {
        if (on(Check::Empty) && !blank(frenchBytes))
            add(Check::Empty, "empty where French is not");
        return; // an empty text has nothing else to check
    }
    // The translation is converted to UTF-8 for the checks that read its characters; the
    // spaces, punctuation and repeat checks read a Windows-1252 text as it is.
    std::optional<std::string_view> converted;
    const auto translation = [&] {
        if (!converted)
            converted = utf8(translationBytes, !tt.high, m_translation);
        return *converted;
    };
    const bool spell = on(Check::Spelling) && m_words;
    const bool numbers = on(Check::Numbers) && (ft.digit || tt.digit);
    // The French text is read as it is for the checks that look at ASCII alone (and at its
    // ending, read in its code page); numbers and spelling read its characters.
    const bool frenchUtf8 = !ft.high || m_codec.page() == CodePage::Utf8 || numbers || spell;
    const std::string_view french =
        frenchUtf8 ? utf8(frenchBytes, !ft.high, m_french) : frenchBytes;
    if (on(Check::Placeholders) && (ft.inserts || tt.inserts)) {
        std::string joined;
        for (const auto &d : Placeholders::differences(french, translation()))
            joined += (joined.empty() ? "" : ", ") + d;
        add(Check::Placeholders, std::move(joined));
    }
    if (on(Check::Accelerators) && (ft.amp || tt.amp))
        if (const int f = Placeholders::accelerators(french),
            t = Placeholders::accelerators(translation());
            f != t)
            add(Check::Accelerators, std::to_string(t) + " accelerator" + (t == 1 ? "" : "s") +
                                         " where French has " + std::to_string(f));
    if (on(Check::Escapes) && (ft.backslash || tt.backslash))
        add(Check::Escapes, escapes(french, translation()));
    if (on(Check::Markup) && (ft.tag || tt.tag))
        add(Check::Markup, markup(french, translation()));
    // A doubled space the French text has too is no finding.
    if (on(Check::Spaces) && tt.doubled && !(side ? side->doubledSpace : ft.doubled))
        add(Check::Spaces, std::string(kDoubledSpace));
    if (on(Check::Urls) && ft.links)
        add(Check::Urls, urlsOf(french, translation()));
    if (!spell && !on(Check::Punctuation) && !numbers && !on(Check::Repeated))
        return;
    // The prose of both texts, once for the checks that read it.
    const std::string_view fm = maskInto(french, ft, m_frenchMask, m_places, m_links);
    const bool asRead = tt.high && m_codec.page() != CodePage::Utf8 && !spell && !numbers;
    // (What is masked is ASCII: a Windows-1252 text is masked as its UTF-8 form would be.)
    const auto translationMask = [&] {
        return maskInto(translation(), tt, m_translationMask, m_places, m_links);
    };
    const std::string_view tm =
        asRead ? maskInto(translationBytes, tt, m_translationMask, m_places, m_links)
               : translationMask();
    if (spell)
        add(Check::Spelling, spellingOf(french, fm, translation(), tm, column, *m_words));
    if (on(Check::Punctuation))
        add(Check::Punctuation, punctuationOf(fm, tm, column, tt.stops, frenchUtf8, !asRead));
    if (numbers)
        add(Check::Numbers, numbersOf(fm, french, tm, translation()));
    if (on(Check::Repeated)) {
        std::string_view word;
        const QuickRepeat quick = asRead ? quickRepeat<Windows1252Reading>(tm, column, word)
                                         : quickRepeat<Utf8Reading>(tm, column, word);
        if (quick == QuickRepeat::Found) {
            std::string lower = asRead ? m_codec.toUtf8(word) : std::string(word);
            lowerAscii(lower);
            add(Check::Repeated, quoted({}, lower, " twice in a row"));
        } else if (quick == QuickRepeat::Unsure)
            add(Check::Repeated,
                repeatedOf(translation(), asRead ? translationMask() : tm, column));
    }
}

} // namespace verbolt
