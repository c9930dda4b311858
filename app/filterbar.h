#pragma once

#include "labelfilter.h"
#include "labelsession.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;

namespace verbolt {

/// The row below the label list that narrows it: the filter text, the "Show" drop-down and
/// the count of lines shown. It computes the filter a slice at a time between events, so
/// typing is never held up, and says when a new result is ready for the list.
class FilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit FilterBar(QWidget *parent = nullptr);
    ~FilterBar() override;

    /// Starts over on another session: a filter of its own, the Show choices of its language
    /// columns, every line shown; or, with `keepQuery` (the same folder read again), the
    /// text and the Show choice as they were.
    void setSession(LabelSession &session, bool keepQuery = false);
    LabelFilter *filter() const { return m_filter.get(); }
    QLineEdit *field() const { return m_text; }
    QComboBox *showBox() const { return m_show; }
    /// "1,234 of 100,000 lines", from what the filter shows now.
    void showCount();
    static QString countText(std::size_t shown, std::size_t total);

signals:
    /// The filter shows a new result: the list takes it in.
    void resultReady();
    /// Down or Enter in the text field: the keyboard goes to the list's first shown line.
    void toList();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void queryChanged();
    void computeSlice();

    LabelSession *m_session = nullptr;
    std::unique_ptr<LabelFilter> m_filter;
    QLineEdit *m_text = nullptr;
    QComboBox *m_show = nullptr;
    QLabel *m_count = nullptr;
    QTimer m_timer;
};

} // namespace verbolt
