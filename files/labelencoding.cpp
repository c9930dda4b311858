#include "labelencoding.h"

#include <algorithm>

namespace verbolt {

std::string_view LabelEncoding::whyReadOnly(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return "UTF-16";
    // UTF-16 without a byte-order mark: every other byte of ASCII text is NUL. No label file
    // of a single-byte code page holds one near its start.
    const std::string_view head = bytes.substr(0, 4096);
    if (head.find('\0') != std::string_view::npos)
        return "UTF-16";
    if (bytes.find('\r') != std::string_view::npos && bytes.find('\n') == std::string_view::npos)
        return "lines ending in CR alone";
    return {};
}

} // namespace verbolt
