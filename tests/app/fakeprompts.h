#pragma once

#include "importpreviewdlg.h"
#include "newlabeldlg.h"
#include "userprompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <QApplication>
#include <QStringList>

namespace verbolt::test {

// Answers the window's questions without a modal dialog: messages are recorded, the file
// chooser returns `script` and the folder chooser `folder` (empty: cancelled), and each
// records the folder it was opened in; questions take `answers` in turn. The exchange
// choosers return `exchangeFile`; the import preview is recorded and answered by `writePreview`.
class FakePrompts : public UserPrompts
{
public:
    void message(QWidget *, const QString &text) override { messages << text; }
    QString chooseScript(QWidget *, const QString &folder) override
    {
        folders << folder;
        return script;
    }
    QString chooseFolder(QWidget *, const QString &from) override
    {
        folders << from;
        return folder;
    }
    int ask(QWidget *, const QString &question, const QStringList &choices, int preferred) override
    {
        questions << question;
        asked << choices;
        return answers.isEmpty() ? preferred : answers.takeFirst();
    }
    QString chooseExportFile(QWidget *, const QString &from) override
    {
        folders << from;
        return exchangeFile;
    }
    QString chooseImportFile(QWidget *, const QString &from) override
    {
        folders << from;
        return exchangeFile;
    }
    int chooseItem(QWidget *, const QString &, const QStringList &items) override
    {
        asked << items;
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
    QString askText(QWidget *, const QString &label) override
    {
        questions << label;
        return texts.isEmpty() ? QString() : texts.takeFirst();
    }
    // The preview as shown: its summary, its rows (cells joined by " | ") and its button.
    bool preview(ImportPreviewDlg &dialog) override
    {
        previewSummary = dialog.summary()->text();
        previewRows.clear();
        for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int k = 0; k < dialog.list()->columnCount(); ++k)
                cells << dialog.list()->topLevelItem(i)->text(k);
            previewRows << cells.join(QStringLiteral(" | "));
        }
        previewButton = dialog.writeButton()->text();
        return writePreview;
    }
    // The "New label" dialog, shown and typed into with real keys: each of `newLabels` in
    // turn (ID, French) then Enter, until it closes; what it said in between is recorded.
    bool newLabel(NewLabelDlg &dialog) override
    {
        dialog.show();
        auto *id = dialog.findChild<QLineEdit *>(QStringLiteral("IDC_NEW_ID"));
        auto *french = dialog.findChild<QLineEdit *>(QStringLiteral("IDC_NEW_FRENCH"));
        for (const auto &[typedId, typedFrench] : newLabels) {
            id->clear();
            french->clear();
            QTest::keyClicks(id, typedId);
            QTest::keyClick(id, Qt::Key_Tab);
            QTest::keyClicks(dialog.focusWidget(), typedFrench);
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            if (!dialog.isVisible())
                return dialog.result() == QDialog::Accepted;
            newLabelSaid << dialog.findChild<QLabel *>(QStringLiteral("IDC_NEW_PROBLEM"))->text();
        }
        dialog.reject();
        return false;
    }
    QList<std::pair<QString, QString>> newLabels;
    QStringList texts; // what askText returns, in turn
    QStringList newLabelSaid;
    QStringList messages;
    QStringList questions;
    QList<QStringList> asked; // the choices of each question
    QList<int> answers;       // given in turn; the default choice once none is left
    QStringList folders;      // where each chooser opened
    QString script;
    QString folder;
    QString exchangeFile; // what the export and import choosers return
    bool writePreview = true;
    QString previewSummary;
    QStringList previewRows;
    QString previewButton;
};

} // namespace verbolt::test
