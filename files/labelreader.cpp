#include "labelreader.h"

#include <algorithm>
#include <climits>

namespace verbolt {

std::size_t LabelReader::bomLength(std::string_view content)
{
    return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

int LabelReader::countLabelLines(std::string_view content)
{
    // Counted wide and given back capped: a file of more lines than an int holds must not
    // wrap to a negative count.
    std::size_t count = 0;
    forEachLine(content, [&](std::string_view line, std::size_t, std::size_t) {
        if (line.empty() || (line[0] != ';' && line[0] != '[' && line[0] != '\0'))
            ++count;
    });
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

} // namespace verbolt
