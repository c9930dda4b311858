#pragma once

#include "labelgrid.h"
#include "labelmarks.h"
#include "textcodec.h"

#include <QAbstractTableModel>

#include <functional>

namespace verbolt {

/// Shows a LabelGrid to the list. Only the cells the view asks for are decoded, and only
/// their first few thousand bytes: the grid keeps the whole text. A marked cell's tooltip
/// says why it is marked.
class LabelTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    LabelTableModel(const LabelGrid &grid, QObject *parent = nullptr);

    void setCodePage(CodePage page) { m_codec = TextCodec(page); }
    /// The marks to show (none while null).
    void setMarks(const LabelMarks *marks) { m_marks = marks; }

    /// The marks of a cell (MarkSet), for the list's delegate.
    static constexpr int MarksRole = Qt::UserRole + 1;
    /// Runs `fill`, which fills the grid afresh, inside the model's reset.
    void load(const std::function<void()> &fill);
    void refreshRows(int first, int last);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static constexpr std::size_t kShownBytes = 4000;

private:
    const LabelGrid &m_grid;
    const LabelMarks *m_marks = nullptr;
    TextCodec m_codec;
};

} // namespace verbolt
