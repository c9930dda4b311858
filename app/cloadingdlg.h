#pragma once

#include "loadprogress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace verbolt {

/// The small "Loading..." window shown while the label files are read: the language being
/// read and a progress bar. It has no close box and cannot be dismissed during the load.
class CLoadingDlg : public QDialog, public LoadProgress
{
    Q_OBJECT

public:
    explicit CLoadingDlg(QWidget *parent = nullptr);

    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int position) override;
    void SetStatusText(const std::string &text) override;
    /// Lets Qt paint (user input excluded), at most every few tens of milliseconds.
    void PumpOneMessage() override;
    void KeepPainted() override;

    /// Shows the window for a load, its bar empty and its status line blank.
    void start();
    /// Closes the window once the load has ended.
    void finish();

    QProgressBar *progressBar() const { return m_progress; }
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void flush();

    QProgressBar *m_progress;
    QLabel *m_text;
    QElapsedTimer m_sincePaint;
    int m_pendingPos = 0;
    unsigned m_calls = 0;
    bool m_finished = false;
};

} // namespace verbolt
