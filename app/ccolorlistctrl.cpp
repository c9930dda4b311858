#include "ccolorlistctrl.h"

#include "labeltablemodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace verbolt {

namespace {

// Colours by column index only: no text is read, nothing is allocated per cell.
class ColumnColourDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // Selected cells keep the list's own selection colours.
        const int column = index.column();
        const auto marks = static_cast<MarkSet>(index.data(LabelTableModel::MarksRole).toInt());
        const bool needsWork = marks & Mark::kNeedsWork;
        option->backgroundBrush = needsWork ? CColorListCtrl::markedBackground(column)
                                  : (marks & Mark::kWarnings)
                                      ? CColorListCtrl::warningBackground(column)
                                      : CColorListCtrl::backgroundColor(column);
        option->palette.setColor(QPalette::Text, CColorListCtrl::textColor(column));
        // Marks are told apart without colour too: a sign before the text, which the
        // selection keeps, and italics for the weak "untranslated".
        if (marks) {
            option->text = CColorListCtrl::markSign(marks) + QLatin1Char(' ') + option->text;
            option->features |= QStyleOptionViewItem::HasDisplay;
            if (marks == Mark::Untranslated)
                option->font.setItalic(true);
        }
    }
};

} // namespace

CColorListCtrl::CColorListCtrl(QWidget *parent) : QTableView(parent)
{
    setItemDelegate(new ColumnColourDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    // The selection stays as visible as with focus, so Find next's hit shows.
    QPalette p = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    setPalette(p);
}

QColor CColorListCtrl::textColor(int column)
{
    return column < 2 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

QColor CColorListCtrl::backgroundColor(int column)
{
    return column < 2 ? QColor(192, 192, 192) : QColor(0, 128, 128);
}

QModelIndex CColorListCtrl::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    // Home and End go to the first and last row, as in a list, not along the row.
    if (current.isValid() && (cursorAction == MoveHome || cursorAction == MoveEnd)) {
        const QModelIndex to =
            QTableView::moveCursor(cursorAction, modifiers | Qt::ControlModifier);
        return to.isValid() ? model()->index(to.row(), current.column()) : to;
    }
    if (current.isValid() || !model() || model()->rowCount() == 0)
        return QTableView::moveCursor(cursorAction, modifiers);
    // No current row. Qt's own answer is the first cell for every move, and it asks with
    // MoveNext when the list gets the focus: that would make row 0 current unseen. Down
    // starts at the first row; Up, with no line to go up from, does nothing.
    switch (cursorAction) {
    case MoveHome:
    case MovePageUp:
    case MovePageDown:
    case MoveDown:
        return model()->index(0, 0);
    case MoveEnd:
        return model()->index(model()->rowCount() - 1, 0);
    default:
        return {};
    }
}

void CColorListCtrl::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    // Up on the first row and Down on the last move nothing; they still make that row the
    // only selected one, the line shown.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && before.isValid() &&
        currentIndex() == before)
        selectionModel()->select(before,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CColorListCtrl::keyboardSearch(const QString &search)
{
    // Type-ahead matches the IDs, as a list matches its items' labels, whichever column
    // the cursor is in.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0)
        selectionModel()->setCurrentIndex(model()->index(current.row(), 0),
                                          QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
}

bool CColorListCtrl::hitsNoRow(const QMouseEvent *event) const
{
    return !indexAt(event->position().toPoint()).isValid();
}

// A click that hits no row (below the last one, or right of the last column) changes
// nothing: Qt would clear the selection and leave the current row behind.
void CColorListCtrl::mousePressEvent(QMouseEvent *event)
{
    m_pressOnNoRow = hitsNoRow(event);
    if (m_pressOnNoRow)
        event->accept();
    else
        QTableView::mousePressEvent(event);
}

QColor CColorListCtrl::markedBackground(int column)
{
    // Dark enough for the white text of the language columns, light for the black of the
    // two master columns.
    return column < 2 ? QColor(255, 196, 128) : QColor(170, 68, 0);
}

QColor CColorListCtrl::warningBackground(int column)
{
    // Between the plain background and the marked one: worth a look, not wrong.
    return column < 2 ? QColor(255, 228, 196) : QColor(96, 104, 56);
}

QString CColorListCtrl::markSign(MarkSet marks)
{
    if (marks & Mark::RepeatedId)
        return QStringLiteral("\u203C"); // double exclamation mark
    if (marks & Mark::OutOfStep)
        return QStringLiteral("\u21C5"); // arrows up and down: another label's line
    if (marks & Mark::Missing)
        return QStringLiteral("\u2205"); // empty set: no line at all
    if (marks & Mark::Empty)
        return QStringLiteral("\u25CB"); // white circle: an empty text
    if (marks & (Mark::Placeholders | Mark::Accelerators | Mark::Escapes | Mark::Markup))
        return QStringLiteral("\u26A0"); // warning sign
    if (marks & Mark::kWarnings)
        return QStringLiteral("\u25B3"); // white triangle: the warning sign's lighter kin
    return QStringLiteral("\u2248");     // almost equal: the same as French
}

void CColorListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressOnNoRow && (event->buttons() & Qt::LeftButton))
        event->accept();
    else
        QTableView::mouseMoveEvent(event);
}

void CColorListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressOnNoRow) {
        m_pressOnNoRow = event->buttons() != Qt::NoButton;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CColorListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (hitsNoRow(event))
        event->accept();
    else
        QTableView::mouseDoubleClickEvent(event);
}

} // namespace verbolt
