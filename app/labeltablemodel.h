#pragma once

#include "labelsession.h"
#include "textcodec.h"

#include <QAbstractTableModel>

#include <functional>

namespace verbolt {

/// Shows the grid of a LabelSession to the list. Only the cells the view asks for are
/// decoded, and only their first few thousand bytes: the grid keeps the whole text. A
/// marked cell's tooltip says why it is marked.
class LabelTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit LabelTableModel(QObject *parent = nullptr);

    /// The session to show; while the list shows another, only inside `load`.
    void setSession(const LabelSession &session);

    /// The marks of a cell (MarkSet), for the list's delegate.
    static constexpr int MarksRole = Qt::UserRole + 1;
    /// Runs `swap`, which puts another session in place, inside the model's reset.
    void load(const std::function<void()> &swap);
    void refreshRows(int first, int last);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static constexpr std::size_t kShownBytes = 4000;

private:
    const LabelSession *m_session = nullptr;
};

} // namespace verbolt
