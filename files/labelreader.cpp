#include "labelreader.h"

namespace verbolt {

std::string_view LabelReader::trim(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isWhite(s[b]))
        ++b;
    while (e > b && isWhite(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::size_t LabelReader::bomLength(std::string_view content)
{
    return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

std::optional<LabelLine> LabelReader::entryOf(std::string_view line)
{
    // The skip test looks at the untrimmed line: "; x=1" with a leading blank is an entry.
    if (line.empty() || line[0] == ';' || line[0] == '[' || line[0] == '\0')
        return std::nullopt;
    const std::string_view trimmed = trim(line);
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return LabelLine{trimmed.substr(0, eq), trim(trimmed.substr(eq + 1))};
}

int LabelReader::countLabelLines(std::string_view content)
{
    int count = 0;
    forEachLine(content, [&](std::string_view line, std::size_t, std::size_t) {
        if (line.empty() || (line[0] != ';' && line[0] != '[' && line[0] != '\0'))
            ++count;
    });
    return count;
}

} // namespace verbolt
