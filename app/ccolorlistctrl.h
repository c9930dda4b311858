#pragma once

#include "labelmarks.h"

#include <QTableView>

namespace verbolt {

/// The label list: full-row multiple selection that stays visible without focus, the ID
/// and FRENCH columns black on light grey and every further column white on teal.
///
/// The list never makes a row current on its own: not when it gets the focus, not for Up
/// while no row is current, not for a click below the last row. Home and End go to the
/// first and last row, and type-ahead matches the IDs, as in a list.
class CColorListCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CColorListCtrl(QWidget *parent = nullptr);

    static QColor textColor(int column);
    static QColor backgroundColor(int column);
    /// The background of a cell that needs work.
    static QColor markedBackground(int column);
    /// The lighter background of a cell whose findings are warnings only.
    static QColor warningBackground(int column);
    /// The sign shown before a marked cell's text, for its weightiest mark: errors before
    /// warnings, warnings before the weak "untranslated".
    static QString markSign(MarkSet marks);

    void keyboardSearch(const QString &search) override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool hitsNoRow(const QMouseEvent *event) const;

    bool m_pressOnNoRow = false; // the press missed every row: its drag and release too
};

} // namespace verbolt
