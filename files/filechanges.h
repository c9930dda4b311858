#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace verbolt {

/// What a write did to one key: its raw value (the bytes after its line's "=") before,
/// nothing when the write added the key, and after.
struct KeyChange
{
    std::string key;
    std::optional<std::string> before;
    std::string after;
};

/// What a write did to one file, enough to take it back byte for byte and to make it again.
struct FileChanges
{
    bool created = false;     // the file did not exist
    std::string headerAdded;  // the section header line appended, with its line end, if any
    std::string lineEndAdded; // the line end given to a last line that lacked one, if any
    std::size_t sizeBefore = 0;
    std::vector<KeyChange> keys; // keys whose bytes changed, each once
};

} // namespace verbolt
