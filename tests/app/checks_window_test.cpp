// The checks' findings in the window: lighter warnings, Ctrl+J/K, "Ignore this check here",
// and misspelled words underlined in the editor fields with suggestions on right-click.
#include "labeltablemodel.h"
#include "spelllineedit.h"
#include "windowfixture.h"

#include <QContextMenuEvent>
#include <QMenu>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// German knows every word but "schließn".
class FakeWords : public WordChecker
{
public:
    bool hasLanguage(std::string_view column) override { return column == "GERMAN"; }
    bool ready(std::string_view) override { return readyNow; }
    bool readyNow = true; // false: as while a dictionary is read on another thread
    bool known(std::string_view, std::string_view word) override
    {
        return word != "schlie\xC3\x9Fn";
    }
    std::vector<std::string> suggestions(std::string_view, std::string_view) override
    {
        return {"schlie\xC3\x9F"
                "en",
                "schliefen",
                "schleifen",
                "schliessen",
                "schlichen",
                "sechste"};
    }
};

QAction *actionNamed(QMenu *menu, const QString &text)
{
    for (QAction *a : menu ? menu->actions() : QList<QAction *>())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

class ChecksWindowTest : public QObject, public WindowFixture
{
    Q_OBJECT

    FakeWords m_fake;
    int m_german = -1;

    QModelIndex cell(int row, int column) { return list()->model()->index(row, column); }
    MarkSet marksOf(int row)
    {
        return MarkSet(cell(row, m_german).data(LabelTableModel::MarksRole).toInt());
    }
    QColor background(const QImage &shot, int row)
    {
        const QRect r = list()->visualRect(cell(row, m_german));
        return shot.pixelColor(r.right() - 4, r.center().y());
    }
    // Rows: a warning, an error, a misspelling, the weak "untranslated".
    void openSet()
    {
        m_dir->write("french.lan", "[Label]\nA=Nom :\nB=Ouvrir %s\nC=Fermer la fen\xEAtre\nD=OK\n");
        m_dir->write("german.lan", "[Label]\nA=Name\nB=Offnen\nC=Fenster schlie\xDFn\nD=OK\n");
        open();
    }
    QString summary()
    {
        return child<QLabel>(IDC_SUMMARY)->toolTip().replace(QChar::Nbsp, QLatin1Char(' '));
    }

private slots:
    void init()
    {
        m_words = &m_fake;
        m_fake.readyNow = true;
        openSet();
        m_german = m_dlg->session().columnOf("GERMAN");
        QTRY_VERIFY(m_dlg->marks().complete());
    }
    void cleanup() { close(); }

    // A dictionary still being read holds the marks back, not the window: its keys work
    // meanwhile, and the marks come in once the dictionary is read.
    void theMarksWaitForADictionaryBeingRead()
    {
        close();
        m_fake.readyNow = false;
        openSet();
        clickRow(0);
        key(Qt::Key_Down);
        QCOMPARE(currentRow(), 1);
        QTest::qWait(50);
        QVERIFY(!m_dlg->marks().complete());
        m_fake.readyNow = true;
        QTRY_VERIFY(m_dlg->marks().complete());
        QCOMPARE(marksOf(2), MarkSet(Mark::Spelling));
    }

    void warningsAreLighterAndCtrlJVisitsThem()
    {
        QCOMPARE(marksOf(0), MarkSet(Mark::Punctuation));
        QCOMPARE(marksOf(2), MarkSet(Mark::Spelling));
        // Errors of every kind keep the warning sign; warnings outweigh the weak mark.
        QCOMPARE(CColorListCtrl::markSign(Mark::Markup), QStringLiteral("\u26A0"));
        QCOMPARE(CColorListCtrl::markSign(Mark::Spelling | Mark::Untranslated),
                 QStringLiteral("\u25B3"));
        QVERIFY(cell(2, m_german)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("schlie\u00DFn")));
        const QImage shot = list()->viewport()->grab().toImage();
        QCOMPARE(background(shot, 0), CColorListCtrl::warningBackground(m_german));
        QCOMPARE(background(shot, 1), CColorListCtrl::markedBackground(m_german));
        QCOMPARE(background(shot, 3), CColorListCtrl::backgroundColor(m_german));
        // Errors and warnings, never the weak mark alone: D is passed over.
        key(Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(currentRow(), 0);
        clickRow(2);
        key(Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(currentRow(), 0);
    }

    void ignoreThisCheckHereMutesTheCellInTheFolder()
    {
        QVERIFY(summary().contains("1 with other punctuation"));
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *ignore = actionNamed(menu, QStringLiteral("Ignore this check here"));
            QVERIFY(ignore);
            QMenu *check = actionNamed(ignore->menu(), QStringLiteral("punctuation"))->menu();
            QVERIFY(actionNamed(check, QStringLiteral("In German")));
            actionNamed(check, QStringLiteral("In every language"))->trigger();
            menu->close();
        });
        const QPoint at = list()->visualRect(cell(0, m_german)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        QCOMPARE(m_dir->read("checks.ignore"), std::string("punctuation * A\n"));
        QCOMPARE(marksOf(0), MarkSet(0));
        QVERIFY(!summary().contains("punctuation"));
    }

    void aMutedSpellingIsNotUnderlined()
    {
        clickRow(2);
        auto *field = qobject_cast<SpellLineEdit *>(edit(IDC_EDIT_GERMAN));
        QCOMPARE(field->misspelled().size(), std::size_t(1));
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *ignore = actionNamed(menu, QStringLiteral("Ignore this check here"));
            QVERIFY(ignore);
            actionNamed(actionNamed(ignore->menu(), QStringLiteral("spelling"))->menu(),
                        QStringLiteral("In German"))
                ->trigger();
            menu->close();
        });
        const QPoint at = list()->visualRect(cell(2, m_german)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        QVERIFY(field->misspelled().empty());
        // Shown again, the folder's mute still holds; another label's field underlines again.
        clickRow(0);
        clickRow(2);
        QVERIFY(field->misspelled().empty());
    }

    void misspelledWordsAreUnderlinedWithSuggestions()
    {
        clickRow(2);
        auto *field = qobject_cast<SpellLineEdit *>(edit(IDC_EDIT_GERMAN));
        QVERIFY(field);
        QCOMPARE(field->misspelled(), (std::vector<std::pair<int, int>>{{8, 8}}));
        // Red under the word only: nothing left of its start.
        const QImage shot = field->grab().toImage();
        const int wordStart = field->fontMetrics().horizontalAdvance(QStringLiteral("Fenster "));
        int firstRed = -1;
        for (int x = 0; x < shot.width() && firstRed < 0; ++x)
            for (int y = 0; y < shot.height(); ++y)
                if (const QColor c = shot.pixelColor(x, y); c.red() > 150 && c.green() < 90) {
                    firstRed = x;
                    break;
                }
        QVERIFY2(firstRed > wordStart, qPrintable(QString::number(firstRed)));

        field->setFocus();
        const QPoint at(wordStart + field->fontMetrics().horizontalAdvance(QStringLiteral("sch")),
                        field->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, field->mapToGlobal(at));
        QApplication::sendEvent(field, &event);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.at(0)->text(), QStringLiteral("schlie\u00DFen"));
        QCOMPARE(actions.at(4)->text(), QStringLiteral("schlichen"));
        QVERIFY(actions.at(5)->isSeparator()); // five at most, then the field's own menu
        actions.at(0)->trigger();
        menu->close();
        QCOMPARE(field->text(), QStringLiteral("Fenster schlie\u00DFen"));
        QVERIFY(field->misspelled().empty());
        QCOMPARE(m_dir->read("german.lan"),
                 std::string("[Label]\nA=Name\nB=Offnen\nC=Fenster schlie\xDFn\nD=OK\n"));
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("Fenster schlie\u00DFn"));
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QTest::mouseClick(child<QPushButton>(IDC_APPLY), Qt::LeftButton);
        QCOMPARE(m_dir->read("german.lan"),
                 std::string("[Label]\nA=Name\nB=Offnen\nC=Fenster schlie\xDF"
                             "en\nD=OK\n"));
        QCOMPARE(marksOf(2), MarkSet(0));
    }
};

QTEST_MAIN(ChecksWindowTest)
#include "checks_window_test.moc"
