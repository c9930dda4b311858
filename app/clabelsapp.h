#pragma once

#include <QApplication>

namespace verbolt {

/// The application object: runs the main window until it closes.
class CLabelsApp : public QApplication
{
    Q_OBJECT

public:
    CLabelsApp(int &argc, char **argv);
    /// Loads the working directory into the main window and runs it; returns the exit code.
    int InitInstance();
};

} // namespace verbolt
