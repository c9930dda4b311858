#include "cloadingdlg.h"

#include "controlids.h"
#include "dialogunits.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace verbolt {

CLoadingDlg::CLoadingDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Loading..."));
    const DialogUnits du(font());
    setFixedSize(du.x(179), du.y(66));

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("IDC_LOADING_BAR"));
    m_progress->setGeometry(du.rect(7, 39, 164, 14));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("IDC_LOADING_TEXT"));
    m_text->setGeometry(du.rect(7, 14, 164, 8).adjusted(0, -2, 0, 2));
    m_text->setAlignment(Qt::AlignCenter);

    // Centred on the screen: the main window is not shown yet.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    m_sincePaint.start();
}

void CLoadingDlg::SetProgressRange(int lower, int upper)
{
    // The whole count is kept: a file of more than 65535 lines still fills the bar.
    m_progress->setRange(lower, std::max(lower, upper));
}

void CLoadingDlg::SetProgressPos(int position)
{
    m_pendingPos = position;
    if (position == 0)
        m_progress->setValue(m_progress->minimum());
}

void CLoadingDlg::SetStatusText(const std::string &text)
{
    m_text->setText(QString::fromStdString(text));
    flush();
}

void CLoadingDlg::PumpOneMessage()
{
    // Reading the clock on every line would cost more than the line itself.
    if ((++m_calls & 255) != 0 || m_sincePaint.elapsed() < 30)
        return;
    flush();
}

void CLoadingDlg::KeepPainted()
{
    if (m_sincePaint.elapsed() >= 30)
        flush();
}

void CLoadingDlg::flush()
{
    m_progress->setValue(std::clamp(m_pendingPos, m_progress->minimum(), m_progress->maximum()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.restart();
}

void CLoadingDlg::start()
{
    m_finished = false;
    m_pendingPos = 0;
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_text->clear();
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.restart();
}

void CLoadingDlg::finish()
{
    m_finished = true;
    close();
}

QString CLoadingDlg::statusText() const
{
    return m_text->text();
}

void CLoadingDlg::closeEvent(QCloseEvent *event)
{
    // The window manager's close does nothing while the load runs.
    if (!m_finished)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CLoadingDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

} // namespace verbolt
