#include "placeholders.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace verbolt {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One placeholder found at the start of a text, and whether its place in the text counts.
struct Found
{
    std::size_t length = 0; // 0: none here
    bool ordered = false;   // an unpositioned printf conversion
};

std::size_t digits(std::string_view s, std::size_t at)
{
    std::size_t end = at;
    while (end < s.size() && isDigit(s[end]))
        ++end;
    return end - at;
}

// A printf conversion at s[0] == '%'.
Found printfAt(std::string_view s)
{
    std::size_t i = 1;
    bool positioned = false;
    if (const std::size_t n = digits(s, i); n > 0 && i + n < s.size() && s[i + n] == '$') {
        i += n + 1;
        positioned = true;
    }
    while (i < s.size() && (s[i] == '-' || s[i] == '+' || s[i] == '#' || s[i] == '0'))
        ++i;
    if (i < s.size() && s[i] == '*')
        ++i;
    else
        i += digits(s, i);
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (i < s.size() && s[i] == '*')
            ++i;
        else
            i += digits(s, i);
    }
    for (const std::string_view length :
         {"hh", "ll", "I32", "I64", "h", "l", "L", "z", "j", "t", "w"})
        if (s.substr(i, length.size()) == length) {
            i += length.size();
            break;
        }
    static constexpr std::string_view kConversions = "diouxXeEfFgGaAcspn";
    if (i < s.size() && kConversions.find(s[i]) != std::string_view::npos)
        return {i + 1, !positioned};
    return {};
}

// A numbered insert at s[0] == '%': %1 to %99, with an optional "!format!".
Found numberedAt(std::string_view s)
{
    const std::size_t n = std::min<std::size_t>(digits(s, 1), 2);
    if (n == 0 || s[1] == '0')
        return {};
    std::size_t i = 1 + n;
    if (i < s.size() && s[i] == '!') {
        const std::size_t close = s.find('!', i + 1);
        if (close != std::string_view::npos)
            i = close + 1;
    }
    return {i, false};
}

// A braced insert at s[0] == '{': "{digits}" or "{digits:format}".
Found bracedAt(std::string_view s)
{
    const std::size_t n = digits(s, 1);
    if (n == 0 || 1 + n >= s.size())
        return {};
    if (s[1 + n] == '}')
        return {n + 2, false};
    if (s[1 + n] != ':')
        return {};
    const std::size_t close = s.find('}', n + 2);
    return close == std::string_view::npos ? Found{} : Found{close + 1, false};
}

template <class F> void scan(std::string_view text, F &&f)
{
    for (std::size_t i = 0; i < text.size();) {
        // Only "%" and "{" start a placeholder; "}}" stands for one "}", which hides neither.
        while (i < text.size() && text[i] != '%' && text[i] != '{')
            ++i;
        if (i == text.size())
            break;
        const char c = text[i];
        if (i + 1 < text.size() && text[i + 1] == c) {
            i += 2; // "%%", "{{"
            continue;
        }
        Found found;
        const std::string_view rest = text.substr(i);
        if (c == '%') {
            found = printfAt(rest);
            if (found.length == 0)
                found = numberedAt(rest);
        } else if (c == '{') {
            found = bracedAt(rest);
        }
        if (found.length == 0) {
            ++i;
            continue;
        }
        f(rest.substr(0, found.length), found.ordered);
        i += found.length;
    }
}

// The ordered conversions, and the others sorted without repeats.
struct Split
{
    std::vector<std::string_view> ordered;
    std::vector<std::string_view> unordered;
};

Split split(std::string_view text)
{
    Split out;
    scan(text, [&](std::string_view p, bool ordered) {
        (ordered ? out.ordered : out.unordered).push_back(p);
    });
    std::sort(out.unordered.begin(), out.unordered.end());
    out.unordered.erase(std::unique(out.unordered.begin(), out.unordered.end()),
                        out.unordered.end());
    return out;
}

bool mayHold(std::string_view text)
{
    // An empty view may hold no pointer at all, which memchr must not be given.
    return !text.empty() && (std::memchr(text.data(), '%', text.size()) ||
                             std::memchr(text.data(), '{', text.size()));
}

std::string joined(const std::vector<std::string_view> &parts)
{
    std::string out;
    for (const std::string_view p : parts)
        out.append(out.empty() ? "" : " ").append(p);
    return out;
}

} // namespace

std::string Placeholders::listed(std::string_view text)
{
    return joined(of(text));
}

std::vector<std::string_view> Placeholders::of(std::string_view text)
{
    std::vector<std::string_view> out;
    of(text, out);
    return out;
}

void Placeholders::of(std::string_view text, std::vector<std::string_view> &out)
{
    scan(text, [&](std::string_view p, bool) { out.push_back(p); });
}

bool Placeholders::agree(std::string_view french, std::string_view translation)
{
    // Most texts hold neither a "%" nor a "{": nothing to parse.
    if (!mayHold(french) && !mayHold(translation))
        return true;
    // Most translations keep the French text's placeholders as they stand, in its order:
    // compared as written, without lists to sort.
    constexpr std::size_t kFew = 8;
    std::array<std::string_view, kFew> inFrench, inTranslation;
    std::size_t f = 0, t = 0;
    scan(french, [&](std::string_view p, bool) {
        if (f < kFew)
            inFrench[f] = p;
        ++f;
    });
    scan(translation, [&](std::string_view p, bool) {
        if (t < kFew)
            inTranslation[t] = p;
        ++t;
    });
    if (f == t && f <= kFew &&
        std::equal(inFrench.begin(), inFrench.begin() + static_cast<std::ptrdiff_t>(f),
                   inTranslation.begin()))
        return true;
    const Split a = split(french);
    const Split b = split(translation);
    return a.ordered == b.ordered && a.unordered == b.unordered;
}

std::vector<std::string> Placeholders::differences(std::string_view french,
                                                   std::string_view translation)
{
    std::vector<std::string> out;
    if (agree(french, translation))
        return out;
    const std::vector<std::string_view> inFrench = of(french);
    const std::vector<std::string_view> inTranslation = of(translation);
    const auto count = [](const std::vector<std::string_view> &v, std::string_view p) {
        return std::count(v.begin(), v.end(), p);
    };
    const auto add = [&](std::string line) {
        if (std::find(out.begin(), out.end(), line) == out.end())
            out.push_back(std::move(line));
    };
    for (const std::string_view p : inFrench)
        if (count(inTranslation, p) == 0)
            add("placeholder " + std::string(p) + " missing");
    for (const std::string_view p : inTranslation)
        if (count(inFrench, p) == 0)
            add("placeholder " + std::string(p) + " not in French");
    if (out.empty()) {
        const Split a = split(french);
        const Split b = split(translation);
        out.push_back(a.ordered.size() == b.ordered.size() && a.unordered == b.unordered
                          ? "placeholders " + joined(b.ordered) + " in another order than " +
                                joined(a.ordered)
                          : "placeholders " + joined(inTranslation) + " where French has " +
                                joined(inFrench));
    }
    return out;
}

int Placeholders::accelerators(std::string_view text)
{
    int n = 0;
    if (text.empty())
        return n;
    for (const char *p = text.data(), *end = p + text.size();
         (p = static_cast<const char *>(std::memchr(p, '&', static_cast<std::size_t>(end - p))));) {
        if (p + 1 == end)
            break;
        if (p[1] != '&')
            ++n;
        p += 2;
    }
    return n;
}

} // namespace verbolt
