#include "labelreader.h"

namespace verbolt {

std::size_t LabelReader::bomLength(std::string_view content)
{
    return content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
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
