// Export for translation and Import translations from the banner menu, on the real window:
// the import's preview, its write as one step of undo, and its cancel; Put in French order.
#include "windowfixture.h"

using namespace verbolt;
using namespace verbolt::test;

class ExchangeWindowTest : public QObject, public WindowFixture
{
    Q_OBJECT

    // german.lan lacks IDS_B; the import changes IDS_A, adds IDS_B, brings a text made from
    // an old French IDS_C and one for an ID french.lan lacks.
    void openSet()
    {
        m_dir->write("french.lan", "[Label]\r\nIDS_A=Ouvrir\r\nIDS_B=Fermer\r\nIDS_C=Quitter\r\n");
        m_dir->write("german.lan", "[Label]\r\nIDS_A=Offnen\r\nIDS_C=Beenden\r\n");
        m_dir->write("english.lan", "[Label]\r\nIDS_A=Open\r\nIDS_B=Close\r\nIDS_C=Quit\r\n");
        m_dir->write("back.csv", "ID,FRENCH,GERMAN,COMMENT\n"
                                 "IDS_A,Ouvrir,\xC3\x96"
                                 "ffnen,\n"
                                 "IDS_B,Fermer,Schlie\xC3\x9F"
                                 "en,\n"
                                 "IDS_C,Sortir,Raus,\n"
                                 "IDS_X,Autre,Anderes,\n");
        open();
        m_prompts->exchangeFile = QString::fromStdString(m_dir->file("back.csv"));
    }
    std::string german() { return m_dir->read("german.lan"); }
    QString cell(int row, int column)
    {
        return list()->model()->index(row, column).data().toString();
    }

private slots:
    void exportWritesTheChosenLanguage()
    {
        openSet();
        m_prompts->exchangeFile = QString::fromStdString(m_dir->file("out.xlf"));
        m_prompts->answers = {1}; // the second language column
        m_dlg->OnExportForTranslation();
        QVERIFY(m_prompts->messages.isEmpty());
        QCOMPARE(m_prompts->asked.constLast(), QStringList({"ENGLISH", "GERMAN"}));
        const std::string xliff = m_dir->read("out.xlf");
        QVERIFY(xliff.find("target-language=\"de\"") != std::string::npos);
        QVERIFY(xliff.find("<target state=\"translated\">Offnen</target>") != std::string::npos);
    }

    void previewThenWriteIsOneStepOfUndo()
    {
        openSet();
        const std::string before = german();
        const int column = m_dlg->session().columnOf("GERMAN");
        m_dlg->OnImportTranslations();
        QVERIFY(m_prompts->messages.isEmpty());
        QCOMPARE(m_prompts->previewSummary,
                 QStringLiteral("GERMAN: 2 to change, 0 unchanged, 1 stale, 1 unknown"));
        QCOMPARE(m_prompts->previewButton, QStringLiteral("Write 2 changes"));
        QCOMPARE(m_prompts->previewRows.size(), 4);
        QCOMPARE(m_prompts->previewRows[0], QStringLiteral("GERMAN | IDS_A | Offnen | Öffnen"));
        QCOMPARE(m_prompts->previewRows[1], QStringLiteral("GERMAN | IDS_B |  | Schließen"));
        QVERIFY(m_prompts->previewRows[2].startsWith("GERMAN | IDS_C |  | not written"));
        QVERIFY(m_prompts->previewRows[3].startsWith("GERMAN | IDS_X |  | not written"));

        QCOMPARE(german(), std::string("[Label]\r\nIDS_A=\xD6"
                                       "ffnen\r\nIDS_B=Schlie\xDF"
                                       "en\r\nIDS_C=Beenden\r\n"));
        QCOMPARE(cell(1, column), QStringLiteral("Schließen"));
        QCOMPARE(QString::fromStdString(m_dlg->editor()->history().nextUndo()),
                 QStringLiteral("Import translations, 2 lines"));

        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(german() == before);
        QCOMPARE(cell(0, column), QStringLiteral("Offnen"));
        // The added line gone again, rows show the file by position, as a fresh load does.
        QCOMPARE(cell(1, column), QStringLiteral("Beenden"));
        QVERIFY(!m_dlg->editor()->history().canUndo());
    }

    void cancelWritesNothing()
    {
        openSet();
        const std::string before = german();
        m_prompts->writePreview = false;
        m_dlg->OnImportTranslations();
        QCOMPARE(m_prompts->previewButton, QStringLiteral("Write 2 changes"));
        QVERIFY(german() == before);
        QVERIFY(!m_dlg->editor()->history().canUndo());
    }

    // "Put in French order..." lists what it would do, fills new lines as chosen, and is one
    // step of undo that puts every byte back.
    void putInFrenchOrderIsOneStepOfUndo()
    {
        m_dir->write("french.lan", "[Label]\r\nIDS_A=Ouvrir\r\nIDS_B=Fermer\r\nIDS_C=Quitter\r\n");
        const std::string shuffled = "[Label]\r\nIDS_C=Beenden\r\n; open\r\nIDS_A=Offnen\r\n";
        m_dir->write("german.lan", shuffled);
        m_dir->write("english.lan", "[Label]\r\nIDS_A=Open\r\nIDS_B=Close\r\nIDS_C=Quit\r\n");
        open();
        const int column = m_dlg->session().columnOf("GERMAN");
        m_prompts->answers = {1}; // new lines with the French text
        m_dlg->OnPutInFrenchOrder();
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(m_prompts->questions.constLast().contains(
            QStringLiteral("german.lan: 1 line moved, 1 label added")));
        QVERIFY(!m_prompts->questions.constLast().contains(QStringLiteral("english.lan")));
        QCOMPARE(german(), std::string("[Label]\r\n; open\r\nIDS_A=Offnen\r\nIDS_B=Fermer\r\n"
                                       "IDS_C=Beenden\r\n"));
        QCOMPARE(cell(1, column), QStringLiteral("Fermer"));
        QCOMPARE(cell(2, column), QStringLiteral("Beenden"));

        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(german() == shuffled);
        QCOMPARE(cell(0, column), QStringLiteral("Beenden"));
        QTest::keyClick(list(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(cell(1, column), QStringLiteral("Fermer"));

        const int questions = static_cast<int>(m_prompts->questions.size());
        m_dlg->OnPutInFrenchOrder(); // in step now: nothing to ask
        QCOMPARE(static_cast<int>(m_prompts->questions.size()), questions);
    }

    // Insert: "New label" below the current line, in every file, through the dialog's real
    // keys; Delete: out of every file after a question; each undone with Ctrl+Z.
    void newAndRemovedLabelsThroughTheKeys()
    {
        openSet();
        const std::string french = m_dir->read("french.lan"), before = german();
        clickRow(0);
        m_prompts->newLabels = {{"ids_b", "x"}, {" IDS_N ", "Nouveau"}};
        QTest::keyClick(list(), Qt::Key_Insert);
        QCOMPARE(m_prompts->newLabelSaid, QStringList{"ids_b is an ID of french.lan already."});
        QCOMPARE(m_dir->read("french.lan"),
                 std::string("[Label]\r\nIDS_A=Ouvrir\r\nIDS_N=Nouveau\r\nIDS_B=Fermer\r\n"
                             "IDS_C=Quitter\r\n"));
        QCOMPARE(german(), std::string("[Label]\r\nIDS_A=Offnen\r\nIDS_N=\r\nIDS_C=Beenden\r\n"));
        QCOMPARE(currentRow(), 1);
        QCOMPARE(cell(1, 0), QStringLiteral("IDS_N"));
        QCOMPARE(edit(IDC_EDIT_FRENCH)->text(), QStringLiteral("Nouveau"));
        QCOMPARE(m_dlg->focusWidget(), static_cast<QWidget *>(list()));

        // The dialog and the loading window have closed: the window system activates the main
        // window again, which the offscreen platform leaves to the test.
        QApplication::setActiveWindow(m_dlg.get());
        m_prompts->answers = {0};
        QTest::keyClick(list(), Qt::Key_Delete);
        QVERIFY(!m_prompts->questions.isEmpty());
        QCOMPARE(m_prompts->questions.constLast(),
                 QStringLiteral("Remove IDS_N from french.lan and every language file?"));
        QVERIFY(m_dir->read("french.lan") == french);
        QVERIFY(german() == before);
        QCOMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(cell(currentRow(), 0), QStringLiteral("IDS_B"));

        QApplication::setActiveWindow(m_dlg.get());
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(list()->model()->rowCount(), 4);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(m_dir->read("french.lan") == french);
        QVERIFY(german() == before);
        QCOMPARE(list()->model()->rowCount(), 3);
    }

    void newLanguageGetsAFileAndAColumn()
    {
        openSet();
        m_prompts->texts = {QStringLiteral("Swedish")};
        m_prompts->answers = {1}; // with the French text
        m_dlg->OnNewLanguage();
        QVERIFY(m_prompts->messages.isEmpty());
        QCOMPARE(m_dir->read("swedish.lan"),
                 std::string("[Label]\r\nIDS_A=Ouvrir\r\nIDS_B=Fermer\r\nIDS_C=Quitter\r\n"));
        const int column = m_dlg->session().columnOf("SWEDISH");
        QVERIFY(column >= 2);
        QCOMPARE(cell(1, column), QStringLiteral("Fermer"));
        m_prompts->texts = {QStringLiteral("german")};
        m_dlg->OnNewLanguage();
        QCOMPARE(m_prompts->messages, QStringList{"GERMAN is a language of the folder already."});
    }

    void cleanup() { close(); }
};

QTEST_MAIN(ExchangeWindowTest)
#include "exchange_window_test.moc"
