#pragma once

#include <string_view>

namespace verbolt {

/// Forms of a label file's bytes that the table can show but a write must not touch:
/// rewriting them byte-wise as single-byte text with CRLF line ends would break the file.
class LabelEncoding
{
public:
    /// Why `bytes` must stay as they are ("UTF-16", "lines ending in CR alone"), or empty
    /// when they can be written.
    static std::string_view whyReadOnly(std::string_view bytes);
};

} // namespace verbolt
