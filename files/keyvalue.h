#pragma once

#include <string>

namespace verbolt {

/// One key to write to section "Label" of a label file, with its new value.
struct KeyValue
{
    std::string key;
    std::string value;
    /// Where the key may stand in the French order a write is given, if the caller knows:
    /// taken when that place holds the key, which spares looking it up.
    int place = -1;
};

} // namespace verbolt
