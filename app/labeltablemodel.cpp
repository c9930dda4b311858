#include "labeltablemodel.h"

namespace verbolt {

LabelTableModel::LabelTableModel(const LabelGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), m_grid(grid)
{}

void LabelTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

void LabelTableModel::refreshRows(int first, int last)
{
    if (first < 0 || last < first || m_grid.columnCount() == 0)
        return;
    emit dataChanged(index(first, 0), index(last, m_grid.columnCount() - 1), {Qt::DisplayRole});
}

int LabelTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.rowCount();
}

int LabelTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.columnCount();
}

QVariant LabelTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    std::string_view text = m_grid.itemText(index.row(), index.column());
    if (role == Qt::ToolTipRole && text.size() <= kShownBytes)
        return {};
    return QString::fromStdString(m_codec.toUtf8(m_codec.prefix(text, kShownBytes)));
}

QVariant LabelTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(m_codec.toUtf8(m_grid.header(section).value_or("")));
}

} // namespace verbolt
