#include "labelencoding.h"

#include <algorithm>

namespace verbolt {

std::string_view LabelEncoding::whyReadOnly(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return "UTF-16";
    // UTF-16 without a byte-order mark: every other byte of ASCII text is NUL, on the same
    // side. A stray NUL in single-byte text does not make that pattern.
    const std::size_t pairs = std::min<std::size_t>(bytes.size(), 1024) / 2;
    std::size_t nulFirst = 0, nulSecond = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        const bool first = bytes[2 * i] == '\0', second = bytes[2 * i + 1] == '\0';
        nulFirst += first && !second;
        nulSecond += second && !first;
    }
    if (pairs >= 2 && std::max(nulFirst, nulSecond) * 4 >= pairs * 3)
        return "UTF-16";
    if (bytes.find('\r') != std::string_view::npos && bytes.find('\n') == std::string_view::npos)
        return "lines ending in CR alone";
    return {};
}

} // namespace verbolt
