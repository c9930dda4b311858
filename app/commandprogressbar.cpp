#include "commandprogressbar.h"

#include <QProgressBar>

#include <algorithm>

namespace verbolt {

CommandProgressBar::CommandProgressBar(QWidget *place, int showAfterMs)
    : m_place(place), m_bar(new QProgressBar(place->parentWidget())), m_showAfterMs(showAfterMs)
{
    m_bar->setObjectName(QStringLiteral("IDC_COMMAND_PROGRESS"));
    m_bar->setTextVisible(true);
    m_bar->hide();
}

void CommandProgressBar::step(const std::string &what, int done, int total)
{
    if (!m_running.isValid())
        m_running.start();
    if (m_bar->isHidden() && m_running.elapsed() < m_showAfterMs)
        return;
    const int range = std::max(total, 1);
    m_bar->setRange(0, range);
    m_bar->setValue(std::clamp(done, 0, range));
    // "%v of %m" would count files and shares of rows alike: the step's own words say which.
    m_bar->setFormat(QString::fromStdString(what) + QStringLiteral(" %p%"));
    if (m_bar->isHidden()) {
        m_bar->setGeometry(m_place->geometry());
        m_bar->show();
        m_bar->raise();
        // The whole window once: a question answered just before still stands on it.
        m_bar->window()->repaint();
    }
    m_bar->repaint(); // drawn now: no event is handled until the command ends
}

void CommandProgressBar::finished()
{
    m_running.invalidate();
    m_bar->hide();
}

} // namespace verbolt
