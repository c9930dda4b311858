// The window with a label of many megabytes: the table shows only its start, the editor
// field holds it whole, and Apply writes it back byte for byte. 8 MB, 256 times the editor
// field's default limit, keeps the window quick; the core tests take 50 MB.
#include "ccolorlistctrl.h"
#include "clabelsdlg.h"
#include "controlids.h"
#include "fakeprompts.h"
#include "labeltablemodel.h"
#include "tempdir.h"

#include <QLineEdit>
#include <QtTest>

using namespace verbolt;
using verbolt::test::FakePrompts;
using verbolt::test::TempDir;

namespace {} // namespace

class LongLabelWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void longLabelIsShownCutAndKeptWhole()
    {
        TempDir dir;
        const qsizetype size = qsizetype(8) << 20;
        std::string longText(static_cast<std::size_t>(size), 'x');
        longText.back() = 'T';
        const std::string french = "[Label]\r\nIDS_LONG=" + longText + "\r\nIDS_NEXT=Suite\r\n";
        dir.write("french.lan", french);
        dir.write("english.lan", "[Label]\r\nIDS_LONG=Long\r\nIDS_NEXT=Next\r\n");

        FakePrompts prompts;
        CLabelsDlg dlg(dir.path(), &prompts);
        dlg.OnInitDialog();
        const QAbstractItemModel *model = dlg.list()->model();
        const QString shown = model->data(model->index(0, 1)).toString();
        QVERIFY(shown.size() > 0);
        QVERIFY(static_cast<std::size_t>(shown.size()) <= LabelTableModel::kShownBytes);

        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QRect cell = dlg.list()->visualRect(model->index(0, 1));
        QTest::mouseClick(dlg.list()->viewport(), Qt::LeftButton, {}, cell.center());
        auto *frenchField = qobject_cast<QLineEdit *>(dlg.control(IDC_EDIT_FRENCH));
        auto *englishField = qobject_cast<QLineEdit *>(dlg.control(IDC_EDIT_ENGLISH));
        QVERIFY(frenchField && englishField);
        QCOMPARE(frenchField->text().size(), size);
        QVERIFY(frenchField->text().endsWith(QLatin1Char('T')));
        englishField->setText(QStringLiteral("Long !"));
        dlg.OnApply();
        QVERIFY(prompts.messages.isEmpty());
        QVERIFY(dir.read("french.lan") == french);
        QCOMPARE(dir.read("english.lan"),
                 std::string("[Label]\r\nIDS_LONG=Long !\r\nIDS_NEXT=Next\r\n"));
    }
};

QTEST_MAIN(LongLabelWindowTest)
#include "longlabel_window_test.moc"
