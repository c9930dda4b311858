// Draws the main window on a label directory into a PNG, as a user would see it with one
// line selected: the picture in the README is made with it (scripts/screenshot.sh).
#include "ccolorlistctrl.h"
#include "clabelsdlg.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>

#include <iostream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::cerr << "usage: window_grab LABEL_DIR ROW OUTPUT.png\n";
        return 2;
    }
    verbolt::CLabelsDlg dialog(std::string(argv[1]) + "/");
    dialog.OnInitDialog();
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    const int row = std::atoi(argv[2]);
    verbolt::CColorListCtrl *list = dialog.list();
    // As a click on the row: it becomes current and the only one selected.
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    list->scrollTo(list->model()->index(row, 0));
    QTest::qWait(50);
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[3])))
        return 1;
    return 0;
}
