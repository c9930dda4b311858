#pragma once

#include <string>

namespace verbolt {

/// What the start-up load reports while it runs: the loading window implements it.
class LoadProgress
{
public:
    virtual ~LoadProgress() = default;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressPos(int position) = 0;
    virtual void SetStatusText(const std::string &text) = 0;
    /// Lets the window system repaint between lines; called once per line read.
    virtual void PumpOneMessage() = 0;
    /// Lets the window system repaint if it is due, between the pieces of work that read no
    /// lines (the label files coming in, the code page being chosen).
    virtual void KeepPainted() {}
};

/// A LoadProgress that shows nothing: the command line and the benchmarks use it.
class SilentProgress : public LoadProgress
{
public:
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void SetStatusText(const std::string &) override {}
    void PumpOneMessage() override {}
};

} // namespace verbolt
