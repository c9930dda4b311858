// Draws the main window on a label directory into a PNG, as a user would see it with one
// line selected: the pictures in the README are made with it (scripts/screenshot.sh).
#include "ccolorlistctrl.h"
#include "clabelsdlg.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>

#include <iostream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4 && argc != 6) {
        std::cerr << "usage: window_grab LABEL_DIR ROW OUTPUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    verbolt::CLabelsDlg dialog(std::string(argv[1]) + "/");
    dialog.OnInitDialog();
    if (argc == 6)
        dialog.resize(std::atoi(argv[4]), std::atoi(argv[5]));
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    // The marks are filled in once the window shows.
    if (!QTest::qWaitFor([&] { return dialog.marks().complete(); }))
        return 1;
    const int row = std::atoi(argv[2]);
    verbolt::CColorListCtrl *list = dialog.list();
    // As a click on the row: it becomes current and the only one selected.
    list->setFocus();
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    list->scrollTo(list->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
    QTest::qWait(50);
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[3])))
        return 1;
    return 0;
}
