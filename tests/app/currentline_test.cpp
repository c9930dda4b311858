// The window writes only the line it shows: the list's current row, its selection and the
// editor fields stay in step through Qt's own keys and clicks, and what Apply and Duplicate
// write is what the translator sees.
#include "commandprogressbar.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QProgressBar>

#include <cerrno>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Twenty labels: more than the list shows at once, so Page Down moves.
std::string labels(const char *prefix)
{
    std::string out = "[Label]\r\n";
    for (int i = 0; i < 20; ++i)
        out += "IDS_" + std::to_string(100 + i) + "=" + prefix + " " + std::to_string(i) + "\r\n";
    return out;
}

} // namespace

class CurrentLineTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir->write("french.lan", labels("Texte"));
        m_dir->write("english.lan", labels("Text"));
    }
    void cleanup() { close(); }

    void arrowKeysStartWithNoLineAndFollowTheHighlight()
    {
        open();
        QVERIFY(list()->hasFocus());
        QCOMPARE(currentRow(), -1); // getting the focus makes no row current
        checkRule();
        key(Qt::Key_Up); // no current line: nothing
        QCOMPARE(currentRow(), -1);
        checkRule();
        key(Qt::Key_Down);
        QCOMPARE(currentRow(), 0);
        checkRule();
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Text 0"));
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(currentRow(), 2);
        checkRule();
        key(Qt::Key_Up);
        QCOMPARE(currentRow(), 1);
        checkRule();
        key(Qt::Key_Home);
        QCOMPARE(currentRow(), 0);
        checkRule();
        key(Qt::Key_End);
        QCOMPARE(currentRow(), 19);
        checkRule();
        key(Qt::Key_Down); // clamped at the bottom
        QCOMPARE(currentRow(), 19);
        checkRule();
        key(Qt::Key_PageUp);
        QVERIFY(currentRow() < 19);
        checkRule();
        key(Qt::Key_PageDown);
        QCOMPARE(currentRow(), 19);
        checkRule();
        QTest::keyClicks(list(), QStringLiteral("IDS_105")); // type-ahead on the ID
        QCOMPARE(currentRow(), 5);
        checkRule();
        QCOMPARE(m_dlg->editor()->currentId(), std::string("IDS_105"));
    }

    void findNextMakesItsHitTheCurrentRow()
    {
        open();
        key(Qt::Key_Down);
        edit(IDC_FIND_TEXT)->setText(QStringLiteral("text 7"));
        child<QComboBox>(IDC_FIND_COLUMN)->setCurrentText(QStringLiteral("ENGLISH"));
        QTest::mouseClick(child<QPushButton>(IDC_FIND_NEXT), Qt::LeftButton);
        QCOMPARE(currentRow(), 7);
        checkRule();
        key(Qt::Key_Down);
        QCOMPARE(currentRow(), 8);
        checkRule();
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Text 8"));
        // A miss leaves no line: fields empty, the next Down starts at the top.
        edit(IDC_FIND_TEXT)->setText(QStringLiteral("nowhere"));
        QTest::mouseClick(child<QPushButton>(IDC_FIND_NEXT), Qt::LeftButton);
        QCOMPARE(currentRow(), -1);
        checkRule();
        key(Qt::Key_Down);
        QCOMPARE(currentRow(), 0);
        checkRule();
    }

    void severalLinesOrAClickBelowTheRowsWriteNothing()
    {
        // Six rows: room below the last one.
        m_dir->write("french.lan", "[Label]\r\nA=a\r\nB=b\r\nC=c\r\nD=d\r\nE=e\r\nF=f\r\n");
        m_dir->write("english.lan", "[Label]\r\nA=1\r\nB=2\r\nC=3\r\nD=4\r\nE=5\r\nF=6\r\n");
        open();
        const std::string french = m_dir->read("french.lan");
        const std::string english = m_dir->read("english.lan");
        clickRow(1);
        checkRule();
        clickRow(3, Qt::ControlModifier);
        QCOMPARE(selectedRows().size(), 2);
        checkRule();
        clickBelowTheLastRow();
        QCOMPARE(selectedRows().size(), 2);
        QCOMPARE(currentRow(), 3);
        checkRule();
        key(Qt::Key_Return);
        m_dlg->OnApply(); // even sent directly
        QCOMPARE(m_dir->read("french.lan"), french);
        QCOMPARE(m_dir->read("english.lan"), english);
        QVERIFY(m_prompts->messages.isEmpty());

        // Ctrl+click on the only selected row: nothing selected, nothing shown.
        clickRow(2);
        checkRule();
        clickRow(2, Qt::ControlModifier);
        QVERIFY(selectedRows().empty());
        checkRule();
        // A click below the rows keeps even that state; Shift+Down and Ctrl+A select more.
        clickBelowTheLastRow();
        QCOMPARE(currentRow(), 2);
        checkRule();
        key(Qt::Key_Down);
        key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(selectedRows().size(), 2);
        checkRule();
        key(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedRows().size(), 6);
        checkRule();
    }

    void duplicateLeavesTheFieldsOfAnotherLine()
    {
        open();
        clickRow(2);
        key(Qt::Key_Down, Qt::ControlModifier); // the current row moves, the selection stays
        QCOMPARE(currentRow(), 3);
        checkRule();
        auto *target = child<QComboBox>(IDC_DUP_TARGET);
        target->setCurrentText(QStringLiteral("ENGLISH"));
        QTest::mouseClick(child<QPushButton>(IDC_DUPLICATE), Qt::LeftButton);
        QVERIFY(m_dir->read("english.lan").find("IDS_102=Texte 2\r\n") != std::string::npos);
        checkRule();
        m_dlg->OnApply();
        QVERIFY(m_dir->read("english.lan").find("IDS_103=Text 3\r\n") != std::string::npos);
        // The one selected row shown: its field mirrors the copy.
        clickRow(4);
        QTest::mouseClick(child<QPushButton>(IDC_DUPLICATE), Qt::LeftButton);
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Texte 4"));
        checkRule();
    }

    void applyWritesOnlyWhatWasEdited()
    {
        // german.lan out of French order: row 0 shows IDS_101's line; its field edits
        // IDS_100's own text.
        m_dir->write("german.lan", "[Label]\r\nIDS_101=Eins\r\nIDS_100=Null\r\n");
        open();
        clickRow(0);
        QCOMPARE(list()->model()->index(0, 3).data().toString(), QStringLiteral("Eins"));
        QCOMPARE(edit(IDC_EDIT_GERMAN)->text(), QStringLiteral("Null"));
        edit(IDC_EDIT_FRENCH)->setText(QStringLiteral("Texte zéro"));
        key(Qt::Key_Return);
        QVERIFY(m_dir->read("french.lan").find("IDS_100=Texte z\xE9ro\r\n") != std::string::npos);
        QCOMPARE(m_dir->read("german.lan"),
                 std::string("[Label]\r\nIDS_101=Eins\r\nIDS_100=Null\r\n"));
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void aFailedWriteShowsTheFileAndEnterRetries()
    {
        open();
        clickRow(4);
        const std::string english = m_dir->read("english.lan");
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Text four"));
        m_fs.failWhen([](FaultyFileSystem::Call, int) { return EIO; });
        key(Qt::Key_Return);
        m_fs.heal();
        QCOMPARE(m_prompts->messages, QStringList{QString::fromStdString(
                                          "Unable to write the file " + m_dir->file("english.lan") +
                                          ". Input/output error.")});
        QCOMPARE(m_dir->read("english.lan"), english);
        QCOMPARE(list()->model()->index(4, 2).data().toString(), QStringLiteral("Text 4"));
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Text four"));
        QVERIFY(child<QPushButton>(IDC_APPLY)->isEnabled());
        key(Qt::Key_Return);
        QCOMPARE(list()->model()->index(4, 2).data().toString(), QStringLiteral("Text four"));
        QVERIFY(m_dir->read("english.lan").find("IDS_104=Text four\r\n") != std::string::npos);
    }

    void ctrlJAndCtrlKGoToTheLinesNeedingWork()
    {
        // Row 3 empty, row 12 with a placeholder French lacks (and without its number, a
        // warning); row 7 only untranslated, which does not count.
        std::string english = labels("Text");
        const auto replace = [&](const std::string &from, const std::string &to) {
            english.replace(english.find(from), from.size(), to);
        };
        replace("IDS_103=Text 3", "IDS_103=");
        replace("IDS_112=Text 12", "IDS_112=Text %d");
        replace("IDS_107=Text 7", "IDS_107=Texte 7");
        m_dir->write("english.lan", english);
        open();
        QTRY_COMPARE(child<QLabel>(IDC_SUMMARY)->toolTip().replace(QChar::Nbsp, QLatin1Char(' ')),
                     QStringLiteral("1 empty \u00B7 1 with other placeholders \u00B7 "
                                    "1 untranslated \u00B7 1 with other numbers"));
        const auto press = [&](Qt::Key k) { QTest::keyClick(list(), k, Qt::ControlModifier); };
        press(Qt::Key_J); // no current line: from the top
        QCOMPARE(currentRow(), 3);
        checkRule();
        press(Qt::Key_J);
        QCOMPARE(currentRow(), 12);
        press(Qt::Key_J); // round the end
        QCOMPARE(currentRow(), 3);
        press(Qt::Key_K);
        QCOMPARE(currentRow(), 12);
        checkRule();
        // From no current line, Ctrl+K starts at the bottom.
        edit(IDC_FIND_TEXT)->setText(QStringLiteral("nowhere"));
        QTest::keyClick(list(), Qt::Key_F3);
        QCOMPARE(currentRow(), -1);
        press(Qt::Key_K);
        QCOMPARE(currentRow(), 12);
        checkRule();
        // A marked cell says why.
        const QString tip = list()->model()->index(12, 2).data(Qt::ToolTipRole).toString();
        QCOMPARE(tip, QStringLiteral("placeholder %d not in French\nnumber 12 missing"));
    }

    void duplicateNamesTheRowsItCannotStore()
    {
        m_dir->write("french.lan", "[Label]\r\nIDS_100=Un\r\nIDS_101=De\rux\r\nIDS_102=Trois\r\n");
        open();
        clickRow(0);
        key(Qt::Key_A, Qt::ControlModifier);
        child<QComboBox>(IDC_DUP_TARGET)->setCurrentText(QStringLiteral("All"));
        m_prompts->answers = {1}; // replace the translations
        QTest::mouseClick(child<QPushButton>(IDC_DUPLICATE), Qt::LeftButton);
        QCOMPARE(m_prompts->messages,
                 QStringList{"The ID or FRENCH text of IDS_101 holds characters that these "
                             "label files cannot store."});
        QCOMPARE(list()->model()->index(1, 2).data().toString(), QStringLiteral("Text 1"));
        QCOMPARE(list()->model()->index(2, 2).data().toString(), QStringLiteral("Trois"));
        QVERIFY(m_dir->read("english.lan").find("IDS_101=Text 1\r\n") != std::string::npos);
        checkRule();
    }

    void aLongCommandShowsHowFarItIsThenGoes()
    {
        open();
        m_dlg->commandProgress().setShowAfter(0); // every command counts as long
        struct Shown : QObject
        {
            QStringList texts;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (auto *bar = qobject_cast<QProgressBar *>(o); bar && e->type() == QEvent::Paint)
                    if (texts.isEmpty() || texts.back() != bar->text())
                        texts << bar->text();
                return false;
            }
        } shown;
        QProgressBar *bar = m_dlg->commandProgress().bar();
        bar->installEventFilter(&shown);
        clickRow(0);
        key(Qt::Key_A, Qt::ControlModifier);
        child<QComboBox>(IDC_DUP_TARGET)->setCurrentText(QStringLiteral("All"));
        m_prompts->answers = {1}; // replace the translations
        QTest::mouseClick(child<QPushButton>(IDC_DUPLICATE), Qt::LeftButton);
        QCOMPARE(shown.texts, QStringList{"Writing english.lan... 0%"});
        QVERIFY(bar->isHidden());
        // The window goes on as before: the keyboard where the click left it.
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(IDC_DUPLICATE));
        QTRY_VERIFY(m_dlg->session().marks().complete());
        checkRule();
    }
};

QTEST_MAIN(CurrentLineTest)
#include "currentline_test.moc"
