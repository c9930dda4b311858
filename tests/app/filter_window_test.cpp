// The filter row narrows the list, and every command acts on the lines it shows.
#include "filterbar.h"
#include "windowfixture.h"

#include <QComboBox>

using namespace verbolt;
using namespace verbolt::test;

namespace {

std::string labels(const char *prefix)
{
    std::string out = "[Label]\r\n";
    for (int i = 0; i < 20; ++i)
        out += "IDS_" + std::to_string(100 + i) + "=" + prefix + " " + std::to_string(i) + "\r\n";
    return out;
}

} // namespace

class FilterWindowTest : public QObject, public WindowFixture
{
    Q_OBJECT

    QLineEdit *filterField() { return m_dlg->filterBar()->field(); }
    QString count()
    {
        return m_dlg->filterBar()->findChild<QLabel *>(QStringLiteral("IDC_FILTER_COUNT"))->text();
    }
    void filterBy(const char *text)
    {
        QTest::keyClick(m_dlg.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filterField()->hasFocus());
        QTest::keyClicks(filterField(), QString::fromUtf8(text));
    }

private slots:
    void init()
    {
        m_dir->write("french.lan", labels("Texte"));
        std::string english = labels("Text");
        english.replace(english.find("IDS_104=Text 4"), 14, "IDS_104=Texte 4");
        m_dir->write("english.lan", english);
        open();
    }
    void cleanup() { close(); }

    void downAndEnterTakeTheKeyboardToTheShownLinesAndApplyWritesThem()
    {
        filterBy("ids_107 TEXTE");
        QTRY_COMPARE(count(), QStringLiteral("1 of 20 lines"));
        QCOMPARE(list()->model()->rowCount(), 1);
        // Enter goes to the list and never applies.
        QTest::keyClick(filterField(), Qt::Key_Return);
        QVERIFY(list()->hasFocus());
        QCOMPARE(currentRow(), 0);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Texte 7"));
        QCOMPARE(m_dlg->editor()->shownLine(), 7); // the editor speaks grid rows
        QVERIFY(child<QPushButton>(IDC_APPLY)->isEnabled());

        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Seven"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Return);
        QVERIFY(m_dir->read("english.lan").find("IDS_107=Seven\r\n") != std::string::npos);
        QVERIFY(m_dir->read("english.lan").find("IDS_100=Text 0\r\n") != std::string::npos);

        // A narrower query and Down: the first shown line, by its grid row.
        filterField()->setFocus();
        QTest::keyClicks(filterField(), QStringLiteral("x"));
        QTRY_COMPARE(count(), QStringLiteral("0 of 20 lines"));
        filterField()->setText(QStringLiteral("ids_11"));
        QTRY_COMPARE(count(), QStringLiteral("10 of 20 lines"));
        QTest::keyClick(filterField(), Qt::Key_Down);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Texte 10"));
        key(Qt::Key_End);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Texte 19"));
        QCOMPARE(selectedRows(), std::vector<int>{19});
        // Ctrl+J finds only shown lines: none of them needs work.
        key(Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Texte 19"));
    }

    void selectAllAndDuplicateCopyOnlyTheShownLines()
    {
        clickRow(2); // the selection and the current line follow the grid row
        filterBy("ids_11");
        QTRY_COMPARE(count(), QStringLiteral("10 of 20 lines"));
        QCOMPARE(selectedRows(), std::vector<int>{});
        filterField()->clear();
        QTRY_COMPARE(count(), QStringLiteral("20 of 20 lines"));
        filterField()->setText(QStringLiteral("ids_11"));
        QTRY_COMPARE(count(), QStringLiteral("10 of 20 lines"));
        QTest::keyClick(filterField(), Qt::Key_Down);
        key(Qt::Key_A, Qt::ControlModifier);
        std::vector<int> shown;
        for (int r = 10; r < 20; ++r)
            shown.push_back(r);
        QCOMPARE(selectedRows(), shown);
        child<QComboBox>(IDC_DUP_TARGET)->setCurrentText(QStringLiteral("ENGLISH"));
        m_prompts->answers = {1}; // replace the translations
        QTest::mouseClick(child<QPushButton>(IDC_DUPLICATE), Qt::LeftButton);
        const std::string english = m_dir->read("english.lan");
        QVERIFY(english.find("IDS_119=Texte 19\r\n") != std::string::npos);
        QVERIFY(english.find("IDS_110=Texte 10\r\n") != std::string::npos);
        QVERIFY(english.find("IDS_109=Text 9\r\n") != std::string::npos);
        QVERIFY(english.find("IDS_100=Text 0\r\n") != std::string::npos);
        checkRule();
    }

    void escapeClearsAndShowChoosesByLanguage()
    {
        filterBy("nothing here");
        QTRY_COMPARE(count(), QStringLiteral("0 of 20 lines"));
        QTest::keyClick(filterField(), Qt::Key_Escape);
        QVERIFY(filterField()->text().isEmpty());
        QVERIFY(m_dlg->isVisible());
        QTRY_COMPARE(list()->model()->rowCount(), 20);

        auto *show = m_dlg->filterBar()->showBox();
        show->setCurrentText(QStringLiteral("Untranslated in ENGLISH"));
        QTRY_COMPARE(count(), QStringLiteral("1 of 20 lines"));
        QCOMPARE(list()->model()->index(0, 0).data().toString(), QStringLiteral("IDS_104"));
        // How far English is: in its header's tooltip and under the summary.
        const QString tip =
            list()->model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(QStringLiteral("ENGLISH: 95.0% translated")), qPrintable(tip));
        QTRY_VERIFY(m_dlg->findChild<QLabel *>(QStringLiteral("IDC_PROGRESS"))
                        ->text()
                        .contains(QStringLiteral("ENGLISH\u00A095.0%")));
    }
};

QTEST_MAIN(FilterWindowTest)
#include "filter_window_test.moc"
