#pragma once

#include "filesystem.h"

#include <optional>
#include <ostream>
#include <string>
#include <variant>

namespace verbolt {

/// How the window is to start: on `folder` (a label directory ending in "/"; empty: the
/// working directory), after asking for a folder when `choose` is set.
struct WindowStart
{
    std::string folder;
    bool choose = false;
};

/// Verbolt's own options (those beginning with "--"): they open no window and need no
/// display. Qt's options (one dash, such as -platform offscreen) are Qt's.
///
///   --export-csv [FOLDER]       the grid of the label folder as CSV on `out`; 0, or 1
///                               when the folder or its French file cannot be read
///   --check [FOLDER]            files out of step with french.lan and texts whose
///                               placeholders or accelerators differ, one line each, on
///                               `out`; 0 when nothing was written, 1 otherwise
///   --extract LANGUAGE SCRIPT   LANGUAGE.txt beside SCRIPT; 0, or 1 with the reason on
///                               `err`
///   --help, --version           on `out`; 0
///
/// FOLDER defaults to the working directory. A wrong or missing argument, an unknown
/// option, a second option or a FOLDER that is no folder writes why on `err` and gives 2.
class CommandLine
{
public:
    /// Runs the options in argv, if any; returns the exit code, or nothing when there are
    /// none and the window should start. Never touches Qt: it runs before the application
    /// object exists.
    static std::optional<int> run(int argc, char **argv, std::ostream &out, std::ostream &err,
                                  FileSystem &fs = FileSystem::disk());

    /// The window's arguments, once Qt took its own: at most one FOLDER, and
    /// --choose-folder. An exit code instead, with the reason on `err`, for a usage error or
    /// a FOLDER that is no folder.
    static std::variant<int, WindowStart> windowStart(int argc, char **argv, std::ostream &err);

    /// Replaces this process with the window's program, verbolt-window, given the same
    /// arguments: it stands beside this program in a build folder, and in
    /// VERBOLT_WINDOW_DIR (relative to this program's folder) once installed. Returns only
    /// when it cannot be started: the exit code, with the reason on `err`.
    static int startWindow(char **argv, std::ostream &err);

    /// The text --help writes.
    static const char *usage();
};

} // namespace verbolt
