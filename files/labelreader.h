#pragma once

#include "blanks.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace verbolt {

/// One entry line of a label file: the key as it stands before the first "=" (leading white
/// space of the line trimmed, blanks before the "=" kept) and the value, trimmed.
struct LabelLine
{
    std::string_view key;
    std::string_view value;
};

/// The reading rules of label files, shared by the start-up load and the profile writer so
/// both agree on which lines are entry lines.
class LabelReader
{
public:
    /// Length of a UTF-8 byte-order mark at the start of `content` (0 or 3).
    static std::size_t bomLength(std::string_view content);

    /// Calls f(line, begin, next) for each line: `line` without its line feed, `begin` its
    /// offset in `content`, `next` the offset after its line feed. A last line without a
    /// line feed is a line like any other; a leading byte-order mark belongs to no line.
    template <class F> static void forEachLine(std::string_view content, F &&f);

    /// Whether a line as read is skipped before any trimming: empty, or starting with ";",
    /// "[" or NUL. A ";" or "[" after leading blanks does not skip it.
    static bool skippedAtOnce(std::string_view line)
    {
        return line.empty() || line[0] == ';' || line[0] == '[' || line[0] == '\0';
    }

    /// The entry of a line as read (line feed removed), or nothing for a skipped line.
    static inline std::optional<LabelLine> entryOf(std::string_view line);

    /// The progress count of a file: every line but those starting with NUL, ";" or "[".
    static int countLabelLines(std::string_view content);

    /// Calls f(LabelLine) for each entry line in file order; returns how many there were.
    template <class F> static std::size_t forEachEntry(std::string_view content, F &&f);
};

// entryOf runs once per line of every file read or written: inline, so the loops that
// call it are not a function call per line.
std::optional<LabelLine> LabelReader::entryOf(std::string_view line)
{
    // The skip test looks at the untrimmed line: "; x=1" with a leading blank is an entry.
    if (skippedAtOnce(line))
        return std::nullopt;
    // Trimming removes no "=", so the first "=" of the line is that of the trimmed line: one
    // pass finds it, and only the key's start and the value are trimmed.
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::size_t b = 0;
    while (Blanks::isWhite(line[b]))
        ++b;
    return LabelLine{line.substr(b, eq - b), Blanks::trim(line.substr(eq + 1))};
}

template <class F> void LabelReader::forEachLine(std::string_view content, F &&f)
{
    std::size_t pos = bomLength(content);
    const std::size_t size = content.size();
    while (pos < size) {
        const std::size_t lf = content.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? size : lf;
        const std::size_t next = lf == std::string_view::npos ? size : lf + 1;
        f(content.substr(pos, end - pos), pos, next);
        pos = next;
    }
}

template <class F> std::size_t LabelReader::forEachEntry(std::string_view content, F &&f)
{
    std::size_t n = 0;
    forEachLine(content, [&](std::string_view line, std::size_t, std::size_t) {
        if (auto entry = entryOf(line)) {
            f(*entry);
            ++n;
        }
    });
    return n;
}

} // namespace verbolt
