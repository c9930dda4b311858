#pragma once

#include <string_view>

namespace verbolt {

/// White space, wherever a text is trimmed (label files, resource scripts): exactly the six
/// bytes 0x09-0x0D and 0x20. No byte of 0x80 or above is white space, whatever a code page
/// makes of it.
class Blanks
{
public:
    static bool isWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    static std::string_view trim(std::string_view s)
    {
        std::size_t b = 0;
        std::size_t e = s.size();
        while (b < e && isWhite(s[b]))
            ++b;
        while (e > b && isWhite(s[e - 1]))
            --e;
        return s.substr(b, e - b);
    }
};

} // namespace verbolt
