#pragma once

#include <optional>
#include <ostream>

namespace verbolt {

/// Verbolt's own options (those beginning with "--"): they work on the working directory,
/// open no window and need no display.
class CommandLine
{
public:
    /// Runs the options in argv, if any; returns the exit code, or nothing when there are
    /// none and the window should start.
    static std::optional<int> run(int argc, char **argv, std::ostream &out, std::ostream &err);
};

} // namespace verbolt
