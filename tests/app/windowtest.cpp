// The main window on Qt's offscreen platform: controls after a load, the loading window,
// the colours, and the wiring of clicks, keys and Enter to the editing commands.
#include "cloadingdlg.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

const char *const kFrench = "[Label]\r\n"
                            "IDS_OPEN=Ouvrir\r\n"
                            "IDS_SAVE=Enregistrer\r\n"
                            "IDS_QUIT=Quitter l'application\r\n";
const char *const kEnglish = "[Label]\r\nIDS_OPEN=Open\r\nIDS_SAVE=Save\r\nIDS_QUIT=Quit\r\n";
const char *const kDutch = "[Label]\r\nIDS_OPEN=Openen\r\nIDS_SAVE=Opslaan\r\n";

QStringList items(const QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

class WindowTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir->write("french.lan", kFrench);
        m_dir->write("english.lan", kEnglish);
        m_dir->write("Dutch.lan", kDutch);
        m_dir->write("comments.cmt", "[Label]\r\nIDS_SAVE=Toolbar button\r\n");
    }
    void cleanup() { close(); }

    void controlsAfterLoad()
    {
        open();
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Verbolt"));
        // It opens at the template's size, its minimum, and can grow and be maximised.
        QCOMPARE(m_dlg->size(), m_dlg->minimumSize());
        QVERIFY(m_dlg->maximumSize().width() > 4000);
        QVERIFY(m_dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(m_dlg->windowFlags() & Qt::WindowMaximizeButtonHint);

        // Tab order is template order: list, five fields, a field for each further language
        // (Dutch), Apply, Duplicate, target, find field, column, Find next, Close, then
        // Portuguese last.
        const QStringList order = {"IDC_LABEL_LIST",     "IDC_EDIT_FRENCH",
                                   "IDC_EDIT_ENGLISH",   "IDC_EDIT_ITALIAN",
                                   "IDC_EDIT_SPANISH",   "IDC_EDIT_GERMAN",
                                   "IDC_EDIT_DUTCH",     "IDC_APPLY",
                                   "IDC_DUPLICATE",      "IDC_DUP_TARGET",
                                   "IDC_FIND_TEXT",      "IDC_FIND_COLUMN",
                                   "IDC_FIND_NEXT",      "IDOK",
                                   "IDC_EDIT_PORTUGUESE"};
        QWidget *w = m_dlg->control(IDC_LABEL_LIST);
        for (int i = 1; i < order.size(); ++i) {
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(m_dlg.get()) ||
                   w->parentWidget() != m_dlg.get());
            QCOMPARE(w->objectName(), order[i]);
        }

        // No line is shown yet: every field and Apply wait for one.
        for (int id : {IDC_EDIT_FRENCH, IDC_EDIT_ENGLISH, IDC_EDIT_ITALIAN, IDC_EDIT_SPANISH,
                       IDC_EDIT_GERMAN, IDC_EDIT_PORTUGUESE})
            QVERIFY(!edit(id)->isEnabled());
        QVERIFY(!child<QPushButton>(IDC_APPLY)->isEnabled());
        clickRow(0);
        QVERIFY(edit(IDC_EDIT_FRENCH)->isEnabled());
        QVERIFY(edit(IDC_EDIT_ENGLISH)->isEnabled());
        for (int id : {IDC_EDIT_ITALIAN, IDC_EDIT_SPANISH, IDC_EDIT_GERMAN, IDC_EDIT_PORTUGUESE})
            QVERIFY(!edit(id)->isEnabled());
        for (int id : {IDC_EXTRACT_FRENCH, IDC_EXTRACT_ENGLISH, IDC_EXTRACT_ITALIAN,
                       IDC_EXTRACT_SPANISH, IDC_EXTRACT_GERMAN, IDC_BANNER})
            QVERIFY(!m_dlg->control(id)->isVisible());
        QVERIFY(child<QPushButton>(IDC_APPLY)->isDefault());
        QVERIFY(child<QPushButton>(IDC_APPLY)->isEnabled());
        QCOMPARE(edit(IDC_EDIT_FRENCH)->maxLength(), INT_MAX);

        QCOMPARE(items(child<QComboBox>(IDC_DUP_TARGET)),
                 QStringList({"", "DUTCH", "ENGLISH", "All"}));
        QCOMPARE(child<QComboBox>(IDC_DUP_TARGET)->currentIndex(), 0);
        QCOMPARE(items(child<QComboBox>(IDC_FIND_COLUMN)),
                 QStringList({"DUTCH", "ENGLISH", "FRENCH"}));
        QCOMPARE(child<QComboBox>(IDC_FIND_COLUMN)->currentIndex(), 0);

        const QAbstractItemModel *model = m_dlg->list()->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("DUTCH"));
        QCOMPARE(model->index(2, 2).data().toString(), QString()); // Dutch has two lines
        QCOMPARE(model->index(2, 3).data().toString(), QStringLiteral("Quit"));
        QVERIFY(m_dlg->list()->selectionBehavior() == QAbstractItemView::SelectRows);
        QVERIFY(m_dlg->list()->selectionMode() == QAbstractItemView::ExtendedSelection);
    }

    void everyControlShowsWhateverTheSize()
    {
        open();
        const QSize minimum = m_dlg->minimumSize();
        const QRect tableAtMinimum = list()->geometry();
        const int closeMargin = minimum.width() - child<QPushButton>(IDOK)->geometry().right();
        for (const QSize size : {minimum, QSize(1600, 1000)}) {
            m_dlg->resize(size);
            QCOMPARE(m_dlg->size(), size);
            // Controls (not frames) lie inside the window and do not overlap.
            QList<QWidget *> controls;
            for (QWidget *w : m_dlg->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (w->isVisible() && !qobject_cast<QGroupBox *>(w) &&
                    !(qobject_cast<QFrame *>(w) &&
                      qobject_cast<QFrame *>(w)->frameShape() == QFrame::HLine))
                    controls << w;
            QVERIFY(controls.size() >= 20);
            for (QWidget *a : controls) {
                QVERIFY2(m_dlg->rect().contains(a->geometry()), qPrintable(a->objectName()));
                for (QWidget *b : controls)
                    QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + " / " + b->objectName()));
            }
        }
        // The table took the extra room; the fields and the Find group widened.
        QCOMPARE(list()->height() - tableAtMinimum.height(), 1000 - minimum.height());
        QCOMPARE(list()->width() - tableAtMinimum.width(), 1600 - minimum.width());
        QVERIFY(edit(IDC_EDIT_FRENCH)->width() > 500);
        QVERIFY(edit(IDC_FIND_TEXT)->width() > 200);
        // Close keeps its corner.
        QCOMPARE(1600 - child<QPushButton>(IDOK)->geometry().right(), closeMargin);
    }

    void anotherFolderLoadsAfresh()
    {
        open();
        QCOMPARE(child<QLabel>(IDC_FOLDER)->toolTip(),
                 QString::fromStdString(m_dir->path().substr(0, m_dir->path().size() - 1)));
        clickRow(0);
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("typed, not applied"));
        edit(IDC_FIND_TEXT)->setText(QStringLiteral("Save"));
        child<QComboBox>(IDC_FIND_COLUMN)->setCurrentText(QStringLiteral("ENGLISH"));
        m_dlg->OnFindNext();
        QCOMPARE(currentRow(), 1);

        // The other folder is in UTF-8: its code page is chosen afresh.
        TempDir other;
        other.write("french.lan", "[Label]\nA=\xC3\xA9t\xC3\xA9\nB=hiver\n");
        other.write("german.lan", "[Label]\nA=Sommer\nB=Winter\n");
        m_prompts->folder = QString::fromStdString(other.path());
        m_dlg->OnOpenFolder();
        QCOMPARE(m_prompts->folders.last(), QString::fromStdString(m_dir->path()));
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(list()->model()->index(0, 1).data().toString(), QStringLiteral("\u00E9t\u00E9"));
        QCOMPARE(items(child<QComboBox>(IDC_DUP_TARGET)), QStringList({"", "GERMAN", "All"}));
        QCOMPARE(items(child<QComboBox>(IDC_FIND_COLUMN)), QStringList({"FRENCH", "GERMAN"}));
        QCOMPARE(currentRow(), -1);
        checkRule();
        QVERIFY(!edit(IDC_EDIT_ENGLISH)->isEnabled());
        QCOMPARE(m_dir->read("english.lan"), std::string(kEnglish)); // nothing was applied
        QCOMPARE(child<QLabel>(IDC_FOLDER)->toolTip(),
                 QString::fromStdString(other.path().substr(0, other.path().size() - 1)));
        // Find starts at the top again; an edit writes to the new folder.
        edit(IDC_FIND_TEXT)->setText(QStringLiteral("winter"));
        child<QComboBox>(IDC_FIND_COLUMN)->setCurrentText(QStringLiteral("GERMAN"));
        m_dlg->OnFindNext();
        QCOMPARE(currentRow(), 1);
        edit(IDC_EDIT_GERMAN)->setText(QStringLiteral("Winter \u00FC"));
        m_dlg->OnApply();
        QCOMPARE(other.read("german.lan"), std::string("[Label]\nA=Sommer\nB=Winter \xC3\xBC\n"));
        // Cancelled: nothing changes.
        m_prompts->folder.clear();
        m_dlg->OnOpenFolder();
        QCOMPARE(list()->model()->rowCount(), 2);
    }

    void undoAndRedoFromTheKeyboard()
    {
        open();
        const std::string english = m_dir->read("english.lan");
        clickRow(1);
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Save all"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Return);
        const std::string applied = m_dir->read("english.lan");
        QVERIFY(applied != english);

        // In a field, Ctrl+Z undoes its typing only.
        QTest::keyClicks(edit(IDC_EDIT_ENGLISH), QStringLiteral("!"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Save all"));
        QCOMPARE(m_dir->read("english.lan"), applied);

        // From the list it takes the command back; Ctrl+Y and Ctrl+Shift+Z make it again.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_dir->read("english.lan"), english);
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Save"));
        QCOMPARE(list()->model()->index(1, 3).data().toString(), QStringLiteral("Save"));
        QCOMPARE(currentRow(), 1);
        QTest::keyClick(list(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_dir->read("english.lan"), applied);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_dir->read("english.lan"), applied);
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void escapeAndCloseEndTheWindow()
    {
        open();
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        m_dlg->show();
        QTest::mouseClick(child<QPushButton>(IDOK), Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    }

    void loadingWindowClosesInEveryCase()
    {
        open();
        CLoadingDlg *loading = m_dlg->loadingDialog();
        QVERIFY(!loading->isVisible());
        QCOMPARE(loading->statusText(), QStringLiteral("Load ENGLISH labels..."));
        QCOMPARE(loading->progressBar()->maximum(), 3);
        // Without french.lan: nothing loaded, window still closed, all fields disabled.
        closeWindow();
        ::unlink(m_dir->file("french.lan").c_str());
        open();
        QVERIFY(!m_dlg->loadingDialog()->isVisible());
        QCOMPARE(m_dlg->list()->model()->columnCount(), 0);
        QCOMPARE(child<QComboBox>(IDC_DUP_TARGET)->count(), 0);
        QVERIFY(!edit(IDC_EDIT_FRENCH)->isEnabled());
        m_dlg->OnDuplicate();
        QCOMPARE(m_prompts->messages, QStringList({"Select a language"}));
    }

    void aFolderListedInPartIsSaidOnceTheWindowShows()
    {
        m_fs.failWhen([](FaultyFileSystem::Call c, int n) {
            return c == FaultyFileSystem::Call::ReadDirectory && n == 3 ? EIO : 0;
        });
        open();
        m_fs.heal();
        const std::string folder = m_dir->path().substr(0, m_dir->path().size() - 1);
        QTRY_COMPARE(m_prompts->messages, QStringList{QString::fromStdString(
                                              "Unable to read the folder " + folder + ".")});
    }

    void loadingWindowIgnoresCloseWhileLoading()
    {
        CLoadingDlg loading;
        loading.show();
        loading.SetProgressRange(0, 100000); // more than 16 bits: the range is kept whole
        QCOMPARE(loading.progressBar()->maximum(), 100000);
        QVERIFY(!loading.close());
        QVERIFY(loading.isVisible());
        QTest::keyClick(&loading, Qt::Key_Escape);
        QVERIFY(loading.isVisible());
        loading.finish();
        QVERIFY(!loading.isVisible());
    }

    void coloursByColumn()
    {
        open();
        CColorListCtrl *list = m_dlg->list();
        list->clearSelection();
        const QImage image = list->viewport()->grab().toImage();
        // Sample the right edge of each cell of row 1, away from its text.
        for (int column = 0; column < 4; ++column) {
            const QRect r = list->visualRect(list->model()->index(1, column));
            if (r.right() >= image.width())
                continue;
            const QColor expected = column < 2 ? QColor(192, 192, 192) : QColor(0, 128, 128);
            QCOMPARE(image.pixelColor(r.right() - 3, r.center().y()), expected);
        }
        QCOMPARE(CColorListCtrl::textColor(1), QColor(0, 0, 0));
        QCOMPARE(CColorListCtrl::textColor(2), QColor(255, 255, 255));
    }

    void aClickShowsTheLineAndItsComment()
    {
        open();
        clickRow(1);
        QCOMPARE(m_dlg->editor()->currentLine(), 1);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Enregistrer"));
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Save"));
        QCOMPARE(child<QLabel>(IDC_COMMENT)->text(), QStringLiteral("Toolbar button"));
    }

    void aFurtherLanguageIsEditedInAFieldOfItsOwn()
    {
        open();
        auto *dutch = m_dlg->findChild<QLineEdit *>(QStringLiteral("IDC_EDIT_DUTCH"));
        QVERIFY(dutch);
        QVERIFY(!dutch->isEnabled());
        const QLabel *caption = nullptr;
        for (const QLabel *l : m_dlg->findChildren<QLabel *>())
            if (l->buddy() == dutch)
                caption = l;
        QVERIFY(caption);
        QCOMPARE(caption->text(), QStringLiteral("Dutch:"));
        // Below the six fields, before Apply in the tab order; Apply moved below it.
        QVERIFY(dutch->y() > edit(IDC_EDIT_PORTUGUESE)->y());
        QVERIFY(child<QPushButton>(IDC_APPLY)->y() > dutch->y());

        clickRow(1);
        QCOMPARE(dutch->text(), QStringLiteral("Opslaan"));
        bool named = false; // the group above the fields names the line
        for (const QGroupBox *g : m_dlg->findChildren<QGroupBox *>())
            named = named || g->title() == QStringLiteral("Modification of IDS_SAVE");
        QVERIFY(named);
        edit(IDC_EDIT_ENGLISH)->setFocus();
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dutch);
        QTest::keyClick(dutch, Qt::Key_End);
        QTest::keyClicks(dutch, QStringLiteral(" nu"));
        QTest::keyClick(dutch, Qt::Key_Return);
        QCOMPARE(m_dir->read("Dutch.lan"),
                 std::string("[Label]\r\nIDS_OPEN=Openen\r\nIDS_SAVE=Opslaan nu\r\n"));
        QCOMPARE(m_dir->read("english.lan"), std::string(kEnglish));
        QCOMPARE(list()->model()->index(1, 2).data().toString(), QStringLiteral("Opslaan nu"));
    }

    void aChangeByAnotherProgramIsReadAgainAndNeverLost()
    {
        open();
        clickRow(1);
        edit(IDC_EDIT_FRENCH)->setText(QStringLiteral("Enregistrer tout")); // typed, not applied
        // A second process replaces english.lan by a rename, as git and editors do.
        const QString dir = QString::fromStdString(m_dir->path());
        QCOMPARE(QProcess::execute(
                     QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("cd '%1' && printf '[Label]\\r\\nIDS_OPEN=Open\\r\\n"
                                     "IDS_SAVE=Save all\\r\\nIDS_QUIT=Quit\\r\\n' > e.tmp && "
                                     "mv e.tmp english.lan")
                          .arg(dir)}),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(list()->model()->index(1, 3).data().toString(),
                                  QStringLiteral("Save all"), 2000);
        QCOMPARE(edit(IDC_EDIT_ENGLISH)->text(), QStringLiteral("Save all"));        // untouched
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Enregistrer tout")); // typed
        QVERIFY(child<QLabel>(IDC_STATUS)->toolTip().contains(QStringLiteral("english.lan")));

        // Verbolt's own write is no change of another program's; theirs since is asked about.
        edit(IDC_EDIT_FRENCH)->setText(QStringLiteral("Enregistrer"));
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Save everything"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Return);
        QVERIFY(m_prompts->questions.isEmpty());
        QVERIFY(m_dir->read("english.lan").find("IDS_SAVE=Save everything\r\n") !=
                std::string::npos);
        m_dir->write("english.lan", "[Label]\r\nIDS_OPEN=Open\r\nIDS_SAVE=Theirs\r\n");
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Mine"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Return);
        QCOMPARE(m_prompts->questions.size(), 1);
        QCOMPARE(m_dir->read("english.lan"),
                 std::string("[Label]\r\nIDS_OPEN=Open\r\nIDS_SAVE=Theirs\r\n"));
    }

    void enterAppliesFromAnEditorAndFromFindWhat()
    {
        open();
        clickRow(0);
        edit(IDC_EDIT_ENGLISH)->setFocus();
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Open\u2026"));
        QTest::keyClick(edit(IDC_EDIT_ENGLISH), Qt::Key_Return);
        QCOMPARE(m_dir->read("english.lan"),
                 std::string("[Label]\r\nIDS_OPEN=Open\x85\r\nIDS_SAVE=Save\r\nIDS_QUIT=Quit\r\n"));
        QCOMPARE(m_dlg->list()->model()->index(0, 3).data().toString(),
                 QStringLiteral("Open\u2026"));

        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Open file"));
        edit(IDC_FIND_TEXT)->setFocus();
        QTest::keyClick(edit(IDC_FIND_TEXT), Qt::Key_Return);
        QVERIFY(m_dir->read("english.lan").find("IDS_OPEN=Open file\r\n") != std::string::npos);
        QVERIFY(m_prompts->messages.isEmpty());

        // A character Windows-1252 cannot hold is refused before anything is written.
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Open \u2192"));
        QTest::mouseClick(child<QPushButton>(IDC_APPLY), Qt::LeftButton);
        QCOMPARE(m_prompts->messages,
                 QStringList({"The ENGLISH text holds characters that these label files "
                              "cannot store."}));
        QVERIFY(m_dir->read("english.lan").find("IDS_OPEN=Open file\r\n") != std::string::npos);
    }

    void longTextSurvivesTheEditorField()
    {
        const std::string longText(40000, 'x');
        m_dir->write("french.lan", "[Label]\r\nIDS_LONG=" + longText + "\r\n");
        open();
        clickRow(0);
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text().size(), 40000);
        edit(IDC_EDIT_ENGLISH)->setText(QStringLiteral("Long"));
        m_dlg->OnApply();
        QCOMPARE(m_dir->read("french.lan"), "[Label]\r\nIDS_LONG=" + longText + "\r\n");
    }

    void extractionFromTheWindow()
    {
        open();
        TempDir scripts;
        scripts.write("app.rc", "STRINGTABLE\r\nBEGIN\r\n  IDS_HELLO \"Hello\"\r\nEND\r\n");
        m_prompts->script = QString::fromStdString(scripts.file("app.rc"));
        m_dlg->ExtractStringTable("english.txt");
        QCOMPARE(scripts.read("english.txt"), std::string("[Label]\r\nIDS_HELLO=Hello\r\n"));
        QCOMPARE(m_prompts->messages, QStringList({"Extraction terminated."}));
        // The next chooser opens where the last script was.
        m_prompts->script = QString::fromStdString(scripts.file("missing.rc"));
        m_dlg->ExtractStringTable("german.txt");
        QCOMPARE(m_prompts->folders.last(), QString::fromStdString(scripts.path()));
        QCOMPARE(m_prompts->messages.last(),
                 QString::fromStdString("Unable to open the file " + scripts.file("missing.rc") +
                                        ". No such file or directory."));
        QVERIFY(!m_dir->exists("german.txt"));
        m_prompts->script.clear(); // cancelled: nothing happens
        m_dlg->ExtractStringTable("french.txt");
        QCOMPARE(m_prompts->messages.size(), 2);
    }
};

QTEST_MAIN(WindowTest)
#include "windowtest.moc"
