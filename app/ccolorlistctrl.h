#pragma once

#include <QTableView>

namespace verbolt {

/// The label list: full-row multiple selection that stays visible without focus, the ID
/// and FRENCH columns black on light grey and every further column white on teal.
/// Clicks and the arrow keys are reported to the window after the list has handled them.
class CColorListCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CColorListCtrl(QWidget *parent = nullptr);

    static QColor textColor(int column);
    static QColor backgroundColor(int column);

signals:
    /// A mouse click in the list: the row hit, or -1 for none.
    void rowClicked(int row);
    /// A key pressed in the list (its virtual key code for Up and Down).
    void keyDown(int key);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace verbolt
