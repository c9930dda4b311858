#pragma once

#include "commandline.h"

#include <QApplication>

namespace verbolt {

/// The application object: runs the main window until it closes.
class CLabelsApp : public QApplication
{
    Q_OBJECT

public:
    CLabelsApp(int &argc, char **argv);
    /// Loads the label folder into the main window, after asking for it when the start says
    /// so, and runs the window; returns the exit code (0 also when the choice is cancelled).
    int InitInstance(const WindowStart &start = {});
};

} // namespace verbolt
