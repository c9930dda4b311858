#include "filterbar.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace verbolt {

namespace {
// Lines tested per slice: a few milliseconds, so keys typed meanwhile are taken at once.
constexpr std::size_t kRowsPerSlice = 50000;

QString grouped(std::size_t n)
{
    QString digits = QString::number(static_cast<qulonglong>(n));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}
} // namespace

FilterBar::FilterBar(QWidget *parent) : QWidget(parent)
{
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("IDC_FILTER_TEXT"));
    m_text->setPlaceholderText(QStringLiteral("Filter: ID or text in any language"));
    m_text->setClearButtonEnabled(true);
    m_text->installEventFilter(this);
    auto *caption = new QLabel(QStringLiteral("Show:"), this);
    m_show = new QComboBox(this);
    m_show->setObjectName(QStringLiteral("IDC_FILTER_SHOW"));
    // The longest choices name a language: the box stays narrow, its list shows them whole.
    m_show->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_show->setMinimumContentsLength(12);
    caption->setBuddy(m_show);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("IDC_FILTER_COUNT"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_text, 1);
    row->addWidget(caption);
    row->addWidget(m_show);
    row->addWidget(m_count);
    setTabOrder(m_text, m_show);

    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &FilterBar::computeSlice);
    connect(m_text, &QLineEdit::textChanged, this, &FilterBar::queryChanged);
    connect(m_show, &QComboBox::currentIndexChanged, this, &FilterBar::queryChanged);
}

FilterBar::~FilterBar() = default;

void FilterBar::setSession(LabelSession &session, bool keepQuery)
{
    // The same folder read again keeps what the translator filtered by; another one starts
    // with every line.
    const QString text = keepQuery ? m_text->text() : QString();
    const QString show = keepQuery ? m_show->currentText() : QString();
    m_timer.stop();
    m_session = &session;
    m_filter =
        std::make_unique<LabelFilter>(session.grid(), session.marks(), session.codec().page());
    const QSignalBlocker textBlock(m_text);
    const QSignalBlocker showBlock(m_show);
    m_text->clear();
    m_show->clear();
    m_show->addItem(QStringLiteral("All lines"), QVariantList{int(ShowLines::All), -1});
    m_show->addItem(QStringLiteral("Lines needing work"),
                    QVariantList{int(ShowLines::NeedingWork), -1});
    const LabelGrid &grid = session.grid();
    for (int c = 2; const auto header = grid.header(c); ++c) {
        const QString name = QString::fromStdString(session.codec().toUtf8(*header));
        m_show->addItem(QStringLiteral("Needing work in ") + name,
                        QVariantList{int(ShowLines::NeedingWorkIn), c});
        m_show->addItem(QStringLiteral("Untranslated in ") + name,
                        QVariantList{int(ShowLines::UntranslatedIn), c});
    }
    m_show->setCurrentIndex(std::max(0, int(m_show->findText(show))));
    m_text->setText(text);
    if (!text.isEmpty() || m_show->currentIndex() > 0)
        queryChanged();
    showCount();
}

void FilterBar::queryChanged()
{
    if (!m_filter)
        return;
    const QVariantList show = m_show->currentData().toList();
    FilterQuery query;
    query.text = m_text->text().toStdString();
    if (show.size() == 2) {
        query.show = static_cast<ShowLines>(show[0].toInt());
        query.column = show[1].toInt();
    }
    if (query == m_filter->query() && m_filter->complete())
        return;
    m_filter->setQuery(std::move(query));
    m_timer.start();
}

void FilterBar::computeSlice()
{
    if (!m_filter)
        return;
    // The marks the Show modes read are complete before a line is tested. At a million
    // labels they take seconds: worked out in slices of 20 ms, the window answers meanwhile.
    if (m_filter->query().show != ShowLines::All && !m_session->marks().complete()) {
        QElapsedTimer timer;
        timer.start();
        while (!m_session->marks().computeSome(256) && timer.elapsed() < 20) {
        }
        return;
    }
    if (!m_filter->computeSome(kRowsPerSlice))
        return;
    m_timer.stop();
    emit resultReady();
    m_filter->dropPrevious();
    showCount();
}

void FilterBar::showCount()
{
    if (!m_filter || !m_session) {
        m_count->clear();
        return;
    }
    m_count->setText(countText(m_filter->shownCount(), std::size_t(m_session->grid().rowCount())));
}

QString FilterBar::countText(std::size_t shown, std::size_t total)
{
    return grouped(shown) + QStringLiteral(" of ") + grouped(total) + QStringLiteral(" lines");
}

bool FilterBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter here takes the keyboard to the list; it never presses Apply.
            emit toList();
            return true;
        case Qt::Key_Escape:
            if (m_text->text().isEmpty())
                break; // the window handles it as anywhere else
            m_text->clear();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace verbolt
