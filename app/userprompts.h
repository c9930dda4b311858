#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace verbolt {
class ImportPreviewDlg;
class NewLabelDlg;
} // namespace verbolt

namespace verbolt {

/// The modal questions and messages of the window, behind an interface so that tests can
/// answer them without a blocking dialog.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    /// A modal message owned by `owner`, titled "Verbolt", with one OK button.
    virtual void message(QWidget *owner, const QString &text) = 0;
    /// An open-file chooser for "*.rc" starting in `folder`; a typed name of no existing
    /// file is accepted. Returns the full path, or an empty text when cancelled.
    virtual QString chooseScript(QWidget *owner, const QString &folder) = 0;
    /// A folder chooser starting in `folder`. Returns the folder's path, or an empty text
    /// when cancelled.
    virtual QString chooseFolder(QWidget *owner, const QString &folder) = 0;
    /// A modal question with one button per choice, `preferred` the default one. Returns
    /// the index of the choice, or -1 when the question was cancelled (Escape).
    virtual int ask(QWidget *owner, const QString &question, const QStringList &choices,
                    int preferred) = 0;
    /// A save-file chooser for the translators' formats (.xlf, .xliff, .xlsx, .csv) starting
    /// in `folder`. Returns the full path, or an empty text when cancelled.
    virtual QString chooseExportFile(QWidget *owner, const QString &folder) = 0;
    /// An open-file chooser for the same formats. Returns the path, or empty when cancelled.
    virtual QString chooseImportFile(QWidget *owner, const QString &folder) = 0;
    /// A drop-down of `items` under `label`. Returns the index chosen, or -1 when cancelled.
    virtual int chooseItem(QWidget *owner, const QString &label, const QStringList &items) = 0;
    /// A line of text asked for under `label`; empty when cancelled.
    virtual QString askText(QWidget *owner, const QString &label) = 0;
    /// Shows an import's preview modally. Returns whether its write button was pressed.
    virtual bool preview(ImportPreviewDlg &dialog) = 0;
    /// Shows the "New label" dialog; true when it was closed with OK.
    virtual bool newLabel(NewLabelDlg &dialog) = 0;
};

/// The real dialogs: QMessageBox and QFileDialog.
class DialogPrompts : public UserPrompts
{
public:
    void message(QWidget *owner, const QString &text) override;
    QString chooseScript(QWidget *owner, const QString &folder) override;
    QString chooseFolder(QWidget *owner, const QString &folder) override;
    int ask(QWidget *owner, const QString &question, const QStringList &choices,
            int preferred) override;
    QString chooseExportFile(QWidget *owner, const QString &folder) override;
    QString chooseImportFile(QWidget *owner, const QString &folder) override;
    int chooseItem(QWidget *owner, const QString &label, const QStringList &items) override;
    QString askText(QWidget *owner, const QString &label) override;
    bool preview(ImportPreviewDlg &dialog) override;
    bool newLabel(NewLabelDlg &dialog) override;
};

} // namespace verbolt
