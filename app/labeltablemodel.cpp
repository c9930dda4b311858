#include "labeltablemodel.h"

#include <algorithm>

namespace verbolt {

LabelTableModel::LabelTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void LabelTableModel::setSession(const LabelSession &session)
{
    m_session = &session;
}

void LabelTableModel::load(const std::function<void()> &swap)
{
    beginResetModel();
    swap();
    endResetModel();
}

void LabelTableModel::refreshRows(int first, int last)
{
    const int columns = columnCount();
    if (first < 0 || last < first || columns == 0)
        return;
    if (m_filter && !m_filter->showsAll()) {
        const auto &rows = m_filter->rows();
        first =
            int(std::lower_bound(rows.begin(), rows.end(), std::uint32_t(first)) - rows.begin());
        last =
            int(std::upper_bound(rows.begin(), rows.end(), std::uint32_t(last)) - rows.begin()) - 1;
        if (last < first)
            return;
    }
    // A write changes a cell's text, its marks and so its tooltip.
    emit dataChanged(index(first, 0), index(last, columns - 1),
                     {Qt::DisplayRole, Qt::ToolTipRole, MarksRole});
}

int LabelTableModel::gridRow(int row) const
{
    return m_filter ? m_filter->gridRow(static_cast<std::size_t>(row)) : row;
}

int LabelTableModel::modelRow(int gridRow) const
{
    if (!m_session || gridRow < 0 || gridRow >= m_session->grid().rowCount())
        return -1;
    return m_filter ? m_filter->shownIndex(gridRow) : gridRow;
}

int LabelTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_session)
        return 0;
    return m_filter ? int(m_filter->shownCount()) : m_session->grid().rowCount();
}

int LabelTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_session ? 0 : m_session->grid().columnCount();
}

QVariant LabelTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_session)
        return {};
    const LabelMarks &marks = m_session->marks();
    const int row = gridRow(index.row());
    if (row < 0)
        return {};
    if (role == MarksRole)
        return int(marks.at(row, index.column()));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const TextCodec &codec = m_session->codec();
    const std::string_view text = m_session->grid().itemText(row, index.column());
    const QString shown = QString::fromStdString(codec.toUtf8(codec.prefix(text, kShownBytes)));
    if (role == Qt::DisplayRole)
        return shown;
    // The tooltip: why the cell is marked, then a text too long for its cell.
    QStringList lines;
    for (const std::string &reason : marks.reasons(row, index.column()))
        lines << QString::fromStdString(codec.toUtf8(reason));
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
    if (!m_session)
        return {};
    if (role == Qt::ToolTipRole) {
        for (const LanguageProgress &p : m_progress)
            if (p.column == section)
                return QString::fromStdString(
                    m_session->codec().toUtf8(LanguageStats::describe(p)));
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    return QString::fromStdString(
        m_session->codec().toUtf8(m_session->grid().header(section).value_or("")));
}

} // namespace verbolt
