// The window with a label of many megabytes: the table shows only its start, the editor
// field holds it whole, and Apply writes it back byte for byte. 8 MB, 256 times the editor
// field's default limit, keeps the window quick; the core tests take 50 MB.
#include "labeltablemodel.h"
#include "windowfixture.h"

using namespace verbolt;
using namespace verbolt::test;

class LongLabelWindowTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void longLabelIsShownCutAndKeptWhole()
    {
        const qsizetype size = qsizetype(8) << 20;
        std::string longText(static_cast<std::size_t>(size), 'x');
        longText.back() = 'T';
        const std::string french = "[Label]\r\nIDS_LONG=" + longText + "\r\nIDS_NEXT=Suite\r\n";
        m_dir->write("french.lan", french);
        m_dir->write("english.lan", "[Label]\r\nIDS_LONG=Long\r\nIDS_NEXT=Next\r\n");
        open();
        const QString shown = list()->model()->index(0, 1).data().toString();
        QVERIFY(shown.size() > 0);
        QVERIFY(static_cast<std::size_t>(shown.size()) <= LabelTableModel::kShownBytes);

        clickRow(0);
        QVERIFY(edit(IDC_EDIT_FRENCH) && edit(IDC_EDIT_ENGLISH));
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text().size(), size);
        QVERIFY(edit(IDC_EDIT_FRENCH)->text().endsWith(QLatin1Char('T')));
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Long !"));
        m_dlg->OnApply();
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(m_dir->read("french.lan") == french);
        QCOMPARE(m_dir->read("english.lan"),
                 std::string("[Label]\r\nIDS_LONG=Long !\r\nIDS_NEXT=Next\r\n"));
    }
    void cleanup() { close(); }
};

QTEST_MAIN(LongLabelWindowTest)
#include "longlabel_window_test.moc"
