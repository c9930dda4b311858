#include "clabelsapp.h"

#include "clabelsdlg.h"
#include "labeldirectory.h"
#include "userprompts.h"

namespace verbolt {

CLabelsApp::CLabelsApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("verbolt"));
    setApplicationDisplayName(QStringLiteral("Verbolt"));
    setApplicationVersion(QStringLiteral(VERBOLT_VERSION));
    // Ties the window to its menu entry and icon where the desktop asks (Wayland).
    setDesktopFileName(QStringLiteral("invalid.verbolt.Verbolt"));
}

int CLabelsApp::InitInstance(const WindowStart &start)
{
    DialogPrompts prompts;
    std::string folder = start.folder;
    if (start.choose) {
        const QString from =
            QString::fromStdString(folder.empty() ? LabelDirectory::workingDirectory() : folder);
        const QString chosen = prompts.chooseFolder(nullptr, from);
        if (chosen.isEmpty())
            return 0;
        folder = LabelDirectory::asDirectory(chosen.toStdString());
    }
    CLabelsDlg dialog(folder, &prompts);
    dialog.OnInitDialog();
    dialog.exec();
    return 0;
}

} // namespace verbolt
