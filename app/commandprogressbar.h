#pragma once

#include "commandprogress.h"

#include <QElapsedTimer>

class QProgressBar;
class QWidget;

namespace verbolt {

/// Shows how far a command is once it has run for half a second: a bar over the window's
/// status line, painted at each step. The command runs on the window's thread and no
/// event is handled meanwhile, so nothing else can change what it works on, and the
/// keyboard stays where it was.
class CommandProgressBar : public CommandProgress
{
public:
    /// The bar covers `place` (a child of the window) while it shows.
    explicit CommandProgressBar(QWidget *place, int showAfterMs = 500);

    void step(const std::string &what, int done, int total) override;
    void finished() override;

    /// How long a command runs before the bar shows.
    void setShowAfter(int ms) { m_showAfterMs = ms; }
    /// The bar (hidden between long commands).
    QProgressBar *bar() const { return m_bar; }

private:
    QWidget *m_place;
    QProgressBar *m_bar;
    int m_showAfterMs;
    QElapsedTimer m_running; // valid while a command runs
};

} // namespace verbolt
