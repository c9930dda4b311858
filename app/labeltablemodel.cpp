#include "labeltablemodel.h"

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
    // A write changes a cell's text, its marks and so its tooltip.
    emit dataChanged(index(first, 0), index(last, columns - 1),
                     {Qt::DisplayRole, Qt::ToolTipRole, MarksRole});
}

int LabelTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_session ? 0 : m_session->grid().rowCount();
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
    if (role == MarksRole)
        return int(marks.at(index.row(), index.column()));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const TextCodec &codec = m_session->codec();
    const std::string_view text = m_session->grid().itemText(index.row(), index.column());
    const QString shown = QString::fromStdString(codec.toUtf8(codec.prefix(text, kShownBytes)));
    if (role == Qt::DisplayRole)
        return shown;
    // The tooltip: why the cell is marked, then a text too long for its cell.
    QStringList lines;
    for (const std::string &reason : marks.reasons(index.row(), index.column()))
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
    if (role != Qt::DisplayRole || !m_session)
        return {};
    return QString::fromStdString(
        m_session->codec().toUtf8(m_session->grid().header(section).value_or("")));
}

} // namespace verbolt
