#include "clabelsapp.h"

#include "clabelsdlg.h"

namespace verbolt {

CLabelsApp::CLabelsApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("verbolt"));
    setApplicationDisplayName(QStringLiteral("Verbolt"));
    setApplicationVersion(QStringLiteral(VERBOLT_VERSION));
}

int CLabelsApp::InitInstance()
{
    CLabelsDlg dialog;
    dialog.OnInitDialog();
    dialog.exec();
    return 0;
}

} // namespace verbolt
