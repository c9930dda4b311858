#include "textchecks.h"

#include "placeholders.h"

#include <algorithm>
#include <array>
#include <cstring>

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

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char32_t c)
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

// The URLs and e-mail addresses of a text.
std::vector<Range> urlRanges(std::string_view s)
{
    std::vector<Range> found;
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
    return found;
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

// The text with its placeholders, escapes, URLs and markup overwritten byte for byte with
// a filler that is neither blank, letter, digit nor punctuation, so what is left is prose,
// its offsets are the text's, and "%d?" keeps no space before its "?".
constexpr char kFiller = '\x01';

std::string masked(std::string_view s)
{
    std::string m(s);
    bool inserts = false, links = false, escapes = false;
    for (const char c : s) {
        inserts = inserts || c == '%' || c == '{';
        links = links || c == '@' || c == ':' || c == 'w' || c == 'W';
        escapes = escapes || c == '\\' || c == '<';
    }
    const auto blank = [&](std::size_t b, std::size_t e) {
        std::fill(m.begin() + static_cast<std::ptrdiff_t>(b),
                  m.begin() + static_cast<std::ptrdiff_t>(e), kFiller);
    };
    if (inserts)
        for (const std::string_view p : Placeholders::of(s)) {
            const auto b = static_cast<std::size_t>(p.data() - s.data());
            blank(b, b + p.size());
        }
    if (links)
        for (const auto &[b, e] : urlRanges(s))
            blank(b, e);
    if (escapes)
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
    return m;
}

std::string quoted(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
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
std::string_view ending(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0) {
        std::size_t b = e - 1;
        while (b > 0 && (static_cast<unsigned char>(s[b]) & 0xC0) == 0x80)
            --b;
        const char32_t c = decode(s, b).first;
        const bool closing = c == '"' || c == '\'' || c == ')' || c == ']' || c == 0xAB ||
                             c == 0xBB || c == 0x201C || c == 0x201D || c == 0x2019 ||
                             c == 0x201E || c == 0x2039 || c == 0x203A;
        if (!isBlank(c) && !closing)
            break;
        e = b;
    }
    const std::string_view t = s.substr(0, e);
    if (t.ends_with("...") || t.ends_with("\u2026"))
        return "\u2026";
    if (!t.empty() && std::strchr(".:;!?", t.back()))
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

// The numbers of a masked text, each as its digits ("1 000", "1,000" and "1.000" alike) and
// as written.
std::vector<std::pair<std::string, std::string_view>> numbersIn(std::string_view m,
                                                                std::string_view s)
{
    std::vector<std::pair<std::string, std::string_view>> found;
    std::size_t i = 0;
    while (i < m.size()) {
        if (!isDigit(static_cast<unsigned char>(m[i]))) {
            ++i;
            continue;
        }
        const std::size_t b = i;
        std::string digits;
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
        found.emplace_back(std::move(digits), s.substr(b, i - b));
    }
    return found;
}

std::string asciiLower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Whether `word` is one of the words of `text`, accelerators set aside.
bool containsWord(std::string_view text, std::string_view word)
{
    for (const auto &[begin, end] : TextChecks::words(text))
        if (TextChecks::plainWord(text.substr(begin, end - begin)) == word)
            return true;
    return false;
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
    return punctuationOf(masked(french), masked(translation), column);
}

std::string TextChecks::punctuationOf(std::string_view f, std::string_view t,
                                      std::string_view column)
{
    std::vector<std::string> found;
    if (const std::string_view fe = ending(f), te = ending(t); fe != te)
        found.push_back(fe.empty() ? "ends with " + quoted(te) + " where French has no ending mark"
                        : te.empty()
                            ? "no ending mark where French ends with " + quoted(fe)
                            : "ends with " + quoted(te) + " where French ends with " + quoted(fe));
    if (column != "FRENCH") {
        // Only French sets : ; ! ? apart with a space.
        for (std::size_t i = 0; i < t.size();) {
            const auto [c, n] = decode(t, i);
            if (isBlank(c) && i + n < t.size() && std::strchr(":;!?", t[i + n]) && t[i + n]) {
                found.push_back("a space before " + quoted(t.substr(i + n, 1)));
                break;
            }
            i += n;
        }
    }
    if (column == "SPANISH") {
        if (count(t, "?") > count(t, "\u00BF"))
            found.push_back("\"?\" without an opening \"\u00BF\"");
        if (count(t, "!") > count(t, "\u00A1"))
            found.push_back("\"!\" without an opening \"\u00A1\"");
    }
    std::string out;
    for (const auto &s : found)
        out += (out.empty() ? "" : ", ") + s;
    return out;
}

std::string TextChecks::spaces(std::string_view french, std::string_view translation)
{
    if (translation.find("  ") != std::string_view::npos &&
        french.find("  ") == std::string_view::npos)
        return "doubled space";
    return {};
}

std::string TextChecks::numbers(std::string_view french, std::string_view translation)
{
    return numbersOf(masked(french), french, masked(translation), translation);
}

std::string TextChecks::numbersOf(std::string_view fm, std::string_view french, std::string_view tm,
                                  std::string_view translation)
{
    auto f = numbersIn(fm, french), t = numbersIn(tm, translation);
    std::string out;
    for (const auto &number : f) {
        const auto &[digits, written] = number;
        const auto it = std::find_if(t.begin(), t.end(),
                                     [&](const auto &n) { return n.first == number.first; });
        if (it != t.end())
            t.erase(it);
        else
            out += (out.empty() ? "" : ", ") + ("number " + std::string(written) + " missing");
    }
    for (const auto &n : t)
        out += (out.empty() ? "" : ", ") + ("number " + std::string(n.second) + " not in French");
    return out;
}

std::string TextChecks::urls(std::string_view french, std::string_view translation)
{
    std::string out;
    if (std::none_of(french.begin(), french.end(),
                     [](char c) { return c == '@' || c == ':' || c == 'w' || c == 'W'; }))
        return out;
    for (const auto &[b, e] : urlRanges(french)) {
        const std::string_view url = french.substr(b, e - b);
        bool kept = false;
        for (const auto &[tb, te] : urlRanges(translation))
            kept = kept || translation.substr(tb, te - tb) == url;
        if (!kept)
            out += (out.empty() ? "" : ", ") + (quoted(url) + " missing");
    }
    return out;
}

std::string TextChecks::repeated(std::string_view translation, std::string_view column)
{
    return repeatedOf(translation, masked(translation), column);
}

std::string TextChecks::repeatedOf(std::string_view translation, std::string_view tm,
                                   std::string_view column)
{
    // Pairs that the language writes on purpose ("I had had", "die die").
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
    const auto ws = wordsOf(tm);
    for (std::size_t k = 1; k < ws.size(); ++k) {
        const std::string_view gap =
            translation.substr(ws[k - 1].second, ws[k].first - ws[k - 1].second);
        if (gap.find_first_not_of(' ') != std::string_view::npos)
            continue;
        const std::string a = asciiLower(
            plainWord(translation.substr(ws[k - 1].first, ws[k - 1].second - ws[k - 1].first)));
        const std::string b =
            asciiLower(plainWord(translation.substr(ws[k].first, ws[k].second - ws[k].first)));
        if (a != b || std::all_of(a.begin(), a.end(),
                                  [](char c) { return isDigit(static_cast<unsigned char>(c)); }))
            continue;
        if (std::find(kAllowed.begin(), kAllowed.end(),
                      std::pair<std::string_view, std::string_view>(column, a)) != kAllowed.end())
            continue;
        return quoted(b) + " twice in a row";
    }
    return {};
}

std::string TextChecks::spelling(std::string_view french, std::string_view translation,
                                 std::string_view column, WordChecker &words)
{
    if (!words.hasLanguage(column))
        return {};
    std::vector<std::string> unknown;
    for (const auto &[begin, end] : TextChecks::words(translation)) {
        const std::string word = plainWord(translation.substr(begin, end - begin));
        if (std::any_of(word.begin(), word.end(),
                        [](char c) { return isDigit(static_cast<unsigned char>(c)); }))
            continue;
        if (words.known(column, word) || containsWord(french, word))
            continue;
        if (std::find(unknown.begin(), unknown.end(), word) == unknown.end())
            unknown.push_back(word);
    }
    if (unknown.empty())
        return {};
    std::string out = unknown.size() == 1 ? "unknown word " : "unknown words ";
    for (std::size_t k = 0; k < unknown.size(); ++k)
        out += (k ? ", " : "") + quoted(unknown[k]);
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> TextChecks::words(std::string_view text)
{
    return wordsOf(masked(text));
}

std::vector<std::pair<std::size_t, std::size_t>> TextChecks::wordsOf(std::string_view m)
{
    std::vector<Range> found;
    std::size_t i = 0, start = 0;
    bool in = false, letter = false;
    const auto close = [&](std::size_t end) {
        // A trailing apostrophe or hyphen is not part of the word.
        while (end > start && (m[end - 1] == '\'' || m[end - 1] == '-' || m[end - 1] == '&'))
            --end;
        if (in && letter)
            found.emplace_back(start, end);
        in = letter = false;
    };
    while (i < m.size()) {
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
    close(m.size());
    return found;
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

std::string_view TextChecks::utf8(std::string_view text, std::string &buffer) const
{
    if (m_codec.page() == CodePage::Utf8 || std::all_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        }))
        return text;
    buffer = m_codec.toUtf8(text);
    return buffer;
}

void TextChecks::compare(std::string_view frenchBytes, std::string_view translationBytes,
                         std::string_view column, CheckMask checks, std::vector<Finding> &out)
{
    const auto on = [&](Check c) { return (checks & checkBit(c)) != 0; };
    const std::string_view french = utf8(frenchBytes, m_french);
    const std::string_view translation = utf8(translationBytes, m_translation);
    const auto add = [&](Check c, std::string message) {
        if (!message.empty())
            out.push_back({c, std::move(message)});
    };
    const auto blank = [](std::string_view s) {
        return s.find_first_not_of(" \t") == std::string_view::npos;
    };
    if (blank(translation)) {
        if (on(Check::Empty) && !blank(french))
            add(Check::Empty, "empty where French is not");
        return; // an empty text has nothing else to check
    }
    if (on(Check::Placeholders)) {
        std::string joined;
        for (const auto &d : Placeholders::differences(french, translation))
            joined += (joined.empty() ? "" : ", ") + d;
        add(Check::Placeholders, std::move(joined));
    }
    if (on(Check::Accelerators))
        if (const int f = Placeholders::accelerators(french),
            t = Placeholders::accelerators(translation);
            f != t)
            add(Check::Accelerators, std::to_string(t) + " accelerator" + (t == 1 ? "" : "s") +
                                         " where French has " + std::to_string(f));
    if (on(Check::Escapes))
        add(Check::Escapes, escapes(french, translation));
    if (on(Check::Markup))
        add(Check::Markup, markup(french, translation));
    if (on(Check::Spaces))
        add(Check::Spaces, spaces(french, translation));
    if (on(Check::Urls))
        add(Check::Urls, urls(french, translation));
    if (on(Check::Spelling) && m_words)
        add(Check::Spelling, spelling(french, translation, column, *m_words));
    if (!on(Check::Punctuation) && !on(Check::Numbers) && !on(Check::Repeated))
        return;
    // The prose of both texts, once for the checks that read it.
    m_frenchMask = masked(french);
    m_translationMask = masked(translation);
    if (on(Check::Punctuation))
        add(Check::Punctuation, punctuationOf(m_frenchMask, m_translationMask, column));
    if (on(Check::Numbers))
        add(Check::Numbers, numbersOf(m_frenchMask, french, m_translationMask, translation));
    if (on(Check::Repeated))
        add(Check::Repeated, repeatedOf(translation, m_translationMask, column));
}

} // namespace verbolt
