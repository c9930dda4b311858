#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verbolt {

/// A resource script saved as UTF-16, as resource editors save scripts that hold non-ASCII
/// text: it is read as UTF-8, and what is extracted from it is written in a code page that
/// label files come in.
class Utf16Script
{
public:
    /// Whether the bytes begin with a UTF-16 byte-order mark: FF FE (little-endian) or FE FF
    /// (big-endian).
    static bool isUtf16(std::string_view bytes);

    /// The script as UTF-8, its byte-order mark dropped; nothing when it is not well-formed
    /// UTF-16 (an odd number of bytes, a surrogate without its pair).
    static std::optional<std::string> toUtf8(std::string_view bytes);

    /// UTF-8 text extracted from such a script, in Windows-1252 when every character has a
    /// byte there, else unchanged: one code page for the whole output.
    static std::string toLabelBytes(std::string utf8);
};

} // namespace verbolt
