#pragma once

#include "filesystem.h"
#include "textchecks.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

class LabelGrid;
class LabelMarks;
class CheckMutes;

/// What a report prints and what counts against it.
struct CheckOptions
{
    CheckMask checks = kAllChecks & ~checkBit(Check::Spelling);
    bool strict = false;          // warnings count as errors
    bool all = false;             // muted findings are printed too
    WordChecker *words = nullptr; // the dictionaries, when spelling is checked
    int threads = 0;              // the language files are checked on this many; 0: one a core
};

struct CheckTotals
{
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t muted = 0;
    /// Whether the run fails: an error, or with `strict` a warning.
    bool failed(const CheckOptions &options) const
    {
        return errors > 0 || (options.strict && warnings > 0);
    }
};

/// Prints the marks of a loaded grid as findings, one line each, in the form compilers use:
/// "FILE:LINE: SEVERITY: ID: MESSAGE [CHECK]". A run of lines out of step is one finding,
/// as are the labels missing at a file's end and the entries past the last French label.
/// Line numbers come from walking each file's entry lines once, beside its rows.
class CheckReport
{
public:
    /// Every finding over `grid`, file by file in column order; `marks` has the French file
    /// indexed (`indexFrench`) and gets the language cells' marks as each file is walked.
    /// The language columns are empty: each file is read from `dir` when its turn comes,
    /// into the memory of the file before, and given back once walked. The columns of the
    /// files named in `unread` (which could not be read) are left out.
    static CheckTotals print(LabelGrid &grid, LabelMarks &marks, const CheckMutes &mutes,
                             const CheckOptions &options, std::ostream &out, const std::string &dir,
                             const std::vector<std::string> &unread = {});
    /// Loads the label folder `dir` (ending in "/") as the window does, then prints it.
    /// Nothing when the folder cannot be listed whole (the message goes to `err`).
    static std::optional<CheckTotals> run(const std::string &dir, const CheckOptions &options,
                                          std::ostream &out, std::ostream &err,
                                          FileSystem &fs = FileSystem::disk());

    /// A name or key with its non-printing bytes escaped ("\n", "\x1b"), so that it cannot
    /// forge a line of the report.
    static std::string escaped(std::string_view text);
};

} // namespace verbolt
