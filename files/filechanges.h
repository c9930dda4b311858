#pragma once

#include "changedkeys.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace verbolt {

/// A rewrite of whole lines (lines moved, added or taken out), told as runs: the result is
/// made of runs of consecutive lines of the old bytes and of added lines. A byte-order mark
/// stays first and belongs to no line.
struct LineMap
{
    static constexpr std::uint32_t kAdded = UINT32_MAX;
    struct Run
    {
        std::uint32_t first; // the old line (0-based) the run starts at, or kAdded
        std::uint32_t count;
    };
    std::vector<Run> runs;
    std::string added;   // the added lines, end to end, each with its line end
    std::string removed; // the old lines no run holds, end to end, in their order
    std::uint32_t oldLines = 0;
    // The file before and after, to know it still holds what the rewrite left.
    std::size_t sizeBefore = 0;
    std::size_t sizeAfter = 0;
    std::size_t hashBefore = 0;
    std::size_t hashAfter = 0;

    /// The next line of the result: old line `line`, or kAdded (its bytes go to `added`).
    void append(std::uint32_t line)
    {
        if (!runs.empty()) {
            Run &last = runs.back();
            if ((line == kAdded && last.first == kAdded) ||
                (line != kAdded && last.first != kAdded && last.first + last.count == line)) {
                ++last.count;
                return;
            }
        }
        runs.push_back({line, 1});
    }
};

/// What a write did to one file, enough to take it back byte for byte and to make it again.
struct FileChanges
{
    bool created = false;     // the file did not exist
    std::string headerAdded;  // the section header line appended, with its line end, if any
    std::string lineEndAdded; // the line end given to a last line that lacked one, if any
    std::size_t sizeBefore = 0;
    ChangedKeys keys;
    std::shared_ptr<const LineMap> lines; // a rewrite of whole lines, instead of keys
};

} // namespace verbolt
