#include "spelllineedit.h"

#include "textchecks.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <set>

namespace verbolt {

SpellLineEdit::SpellLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &SpellLineEdit::findMisspelled);
}

void SpellLineEdit::setSpelling(WordChecker *words, std::string column, const QLineEdit *french)
{
    if (m_french)
        disconnect(m_french, nullptr, this, nullptr);
    m_words = words;
    m_column = std::move(column);
    m_french = french;
    if (m_french)
        connect(m_french, &QLineEdit::textChanged, this, &SpellLineEdit::findMisspelled);
    findMisspelled();
}

void SpellLineEdit::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    m_muted = muted;
    findMisspelled();
    update();
}

void SpellLineEdit::findMisspelled()
{
    m_misspelled.clear();
    if (m_words && !m_muted && !text().isEmpty() && m_words->hasLanguage(m_column)) {
        // A label far longer than any field shows is looked at in its first part only: the
        // dictionary's look-ups are kept for what a translator reads.
        const std::string utf8 = text().left(kCheckedCharacters).toStdString();
        std::set<std::string> french;
        if (m_french) {
            const std::string f = m_french->text().toStdString();
            for (const auto &[b, e] : TextChecks::words(f))
                french.insert(TextChecks::plainWord(std::string_view(f).substr(b, e - b)));
        }
        // Byte offsets to character positions, one pass along the text.
        std::size_t byte = 0;
        int position = 0;
        const auto advance = [&](std::size_t to) {
            position += int(QString::fromUtf8(utf8.data() + byte, qsizetype(to - byte)).size());
            byte = to;
        };
        for (const auto &[b, e] : TextChecks::words(utf8)) {
            const std::string word = TextChecks::plainWord(std::string_view(utf8).substr(b, e - b));
            if (std::any_of(word.begin(), word.end(),
                            [](char c) { return c >= '0' && c <= '9'; }) ||
                french.count(word) || m_words->known(m_column, word))
                continue;
            advance(b);
            const int start = position;
            advance(e);
            m_misspelled.emplace_back(start, position - start);
        }
    }
    update();
}

const std::pair<int, int> *SpellLineEdit::wordAt(int position) const
{
    for (const auto &w : m_misspelled)
        if (position >= w.first && position <= w.first + w.second)
            return &w;
    return nullptr;
}

QStringList SpellLineEdit::suggestionsAt(int position, int count) const
{
    QStringList out;
    const auto *w = wordAt(position);
    if (!w || !m_words)
        return out;
    const std::string word = TextChecks::plainWord(text().mid(w->first, w->second).toStdString());
    for (const std::string &s : m_words->suggestions(m_column, word)) {
        if (out.size() >= count)
            break;
        out << QString::fromStdString(s);
    }
    return out;
}

void SpellLineEdit::replaceWordAt(int position, const QString &word)
{
    const auto *w = wordAt(position);
    if (!w)
        return;
    QString replacement = word;
    const int amp = text().mid(w->first, w->second).indexOf(QLatin1Char('&'));
    if (amp >= 0)
        replacement.insert(std::min(amp, int(replacement.size())), QLatin1Char('&'));
    setSelection(w->first, w->second);
    insert(replacement); // one step of the field's undo, as typing is
}

void SpellLineEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (m_misspelled.empty())
        return;
    // The line edit draws its text scrolled; the cursor's place tells by how much: a
    // character's x is the cursor's, moved by the advance between the two.
    const QFontMetrics fm = fontMetrics();
    const QString shown = text();
    const QRect cursor = cursorRect();
    const int origin = cursor.center().x() - fm.horizontalAdvance(shown.left(cursorPosition()));
    const int y = cursor.top() + (cursor.height() + fm.ascent()) / 2 + 1;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(220, 0, 0), 1));
    // One pass along the text, however long: each stretch is measured once, and the words
    // past the field's right edge are not measured at all.
    int x = origin;
    int at = 0;
    for (const auto &[start, length] : m_misspelled) {
        const int x0 = x + fm.horizontalAdvance(shown.mid(at, start - at));
        const int x1 = x0 + fm.horizontalAdvance(shown.mid(start, length));
        x = x1;
        at = start + length;
        if (x0 > width())
            break;
        if (x1 < 0)
            continue;
        QPainterPath wave(QPointF(x0, y + 1));
        for (int x = x0 + 2, up = 1; x <= x1 + 1; x += 2, up = 1 - up)
            wave.lineTo(x, y + (up ? -1 : 1));
        painter.drawPath(wave);
    }
}

void SpellLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    const int position = cursorPositionAt(event->pos());
    if (wordAt(position)) {
        QAction *first = menu->actions().value(0);
        const QStringList words = suggestionsAt(position);
        for (const QString &w : words) {
            auto *action = new QAction(w, menu);
            connect(action, &QAction::triggered, this,
                    [this, position, w] { replaceWordAt(position, w); });
            menu->insertAction(first, action);
        }
        if (words.isEmpty()) {
            auto *none = new QAction(QStringLiteral("No suggestions"), menu);
            none->setEnabled(false);
            menu->insertAction(first, none);
        }
        menu->insertSeparator(first);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace verbolt
