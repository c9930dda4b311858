#pragma once

#include <optional>
#include <ostream>

namespace verbolt {

/// Verbolt's own options (those beginning with "--"): they work on the working directory,
/// open no window and need no display. Arguments without "--" are Qt's; when one of
/// Verbolt's options is present they are ignored.
///
///   --export-csv                the grid of the label directory as CSV on `out`; 0, or 1
///                               when the directory or its French file cannot be read
///   --check                     files out of step with french.lan, one line each, on
///                               `out`; 0 when nothing was written, 1 otherwise
///   --extract LANGUAGE SCRIPT   LANGUAGE.txt beside SCRIPT; 0, or 1 with the reason on
///                               `err`
///   --help, --version           on `out`; 0
///
/// A wrong or missing argument, an unknown option or a second option writes the usage on
/// `err` and gives 2.
class CommandLine
{
public:
    /// Runs the options in argv, if any; returns the exit code, or nothing when there are
    /// none and the window should start. Never touches Qt: it runs before the application
    /// object exists.
    static std::optional<int> run(int argc, char **argv, std::ostream &out, std::ostream &err);

    /// The text --help writes.
    static const char *usage();
};

} // namespace verbolt
