#include "labeltablemodel.h"

namespace verbolt {

LabelTableModel::LabelTableModel(const LabelGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), m_grid(grid)
{}

void LabelTableModel::load(const std::function<void()> &fill)
{
    beginResetModel();
    fill();
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
    if (!index.isValid())
        return {};
    if (role == MarksRole)
        return m_marks ? int(m_marks->at(index.row(), index.column())) : 0;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const std::string_view text = m_grid.itemText(index.row(), index.column());
    const QString shown = QString::fromStdString(m_codec.toUtf8(m_codec.prefix(text, kShownBytes)));
    if (role == Qt::DisplayRole)
        return shown;
    // The tooltip: why the cell is marked, then a text too long for its cell.
    QStringList lines;
    if (m_marks)
        for (const std::string &reason : m_marks->reasons(index.row(), index.column()))
            lines << QString::fromStdString(m_codec.toUtf8(reason));
    if (text.size() > kShownBytes)
        lines << shown;
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
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
