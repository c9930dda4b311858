#include "ccolorlistctrl.h"

#include "controlids.h"

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
        option->backgroundBrush = CColorListCtrl::backgroundColor(index.column());
        option->palette.setColor(QPalette::Text, CColorListCtrl::textColor(index.column()));
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

void CColorListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QModelIndex hit = indexAt(event->position().toPoint());
        emit rowClicked(hit.isValid() ? hit.row() : -1);
    }
}

void CColorListCtrl::keyPressEvent(QKeyEvent *event)
{
    QTableView::keyPressEvent(event);
    if (event->key() == Qt::Key_Down)
        emit keyDown(VK_DOWN);
    else if (event->key() == Qt::Key_Up)
        emit keyDown(VK_UP);
}

} // namespace verbolt
