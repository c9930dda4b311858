#pragma once

#include "changedkeys.h"

#include <cstddef>
#include <string>

namespace verbolt {

/// What a write did to one file, enough to take it back byte for byte and to make it again.
struct FileChanges
{
    bool created = false;     // the file did not exist
    std::string headerAdded;  // the section header line appended, with its line end, if any
    std::string lineEndAdded; // the line end given to a last line that lacked one, if any
    std::size_t sizeBefore = 0;
    ChangedKeys keys;
};

} // namespace verbolt
