#pragma once

#include <string>

namespace verbolt {

/// What a command reports between its steps (one file written, a share of the marks
/// computed again), so a window can show how far a long one is.
class CommandProgress
{
public:
    virtual ~CommandProgress() = default;
    /// `done` of `total` steps are behind; `what` names the next one (UTF-8).
    virtual void step(const std::string &what, int done, int total) = 0;
    /// The command has ended.
    virtual void finished() = 0;
};

} // namespace verbolt
