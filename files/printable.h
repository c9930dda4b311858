#pragma once

#include <string>
#include <string_view>

namespace verbolt {

/// Text from a file shown on a terminal or in a report line: a control byte in a key or a
/// file name must not move the cursor, clear the screen or start a new line of its own.
class Printable
{
public:
    /// `text` with every control byte (below 0x20, and DEL) written as an escape: \n, \r,
    /// \t by name, others as \xHH. Bytes of 0x80 and above, the code page's letters, stay.
    static std::string escape(std::string_view text);
};

} // namespace verbolt
