#pragma once

#include <string>

namespace verbolt {

/// One key to write to section "Label" of a label file, with its new value.
struct KeyValue
{
    std::string key;
    std::string value;
};

} // namespace verbolt
