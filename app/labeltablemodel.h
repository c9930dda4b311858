#pragma once

#include "labelfilter.h"
#include "labelsession.h"
#include "languagestats.h"
#include "textcodec.h"

#include <QAbstractTableModel>

#include <functional>

namespace verbolt {

/// Shows the grid of a LabelSession to the list. Only the cells the view asks for are
/// decoded, and only their first few thousand bytes: the grid keeps the whole text. A
/// marked cell's tooltip says why it is marked. Under a filter its rows are the shown lines
/// only, and gridRow() tells which line of the grid each one is.
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
    /// Grid rows first..last changed: the shown ones among them are painted again.
    void refreshRows(int first, int last);

    /// The filter whose shown lines are the rows (null: every line); set it, and show a new
    /// result of it, inside `load`.
    void setFilter(const LabelFilter *filter) { m_filter = filter; }
    const LabelFilter *filter() const { return m_filter; }
    int gridRow(int row) const;
    /// The model row of a grid row, or -1 while the filter hides it.
    int modelRow(int gridRow) const;
    /// The progress of each language column, for its header's tooltip.
    void setProgress(std::vector<LanguageProgress> progress) { m_progress = std::move(progress); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static constexpr std::size_t kShownBytes = 4000;

private:
    const LabelSession *m_session = nullptr;
    const LabelFilter *m_filter = nullptr;
    std::vector<LanguageProgress> m_progress;
};

} // namespace verbolt
