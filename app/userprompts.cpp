#include "userprompts.h"

#include "importpreviewdlg.h"
#include "newlabeldlg.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace verbolt {

void DialogPrompts::message(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Verbolt"), text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

QString DialogPrompts::chooseScript(QWidget *owner, const QString &folder)
{
    QFileDialog dialog(owner, QString(), folder, QStringLiteral("*.rc"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // AnyFile: a typed name that names no file is accepted, and then reported as unopenable.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(QStringLiteral("*.rc"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

int DialogPrompts::ask(QWidget *owner, const QString &question, const QStringList &choices,
                       int preferred)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Verbolt"), question,
                    QMessageBox::NoButton, owner);
    box.setWindowModality(Qt::WindowModal);
    std::vector<QAbstractButton *> buttons;
    for (int i = 0; i < choices.size(); ++i) {
        QPushButton *b = box.addButton(choices[i], QMessageBox::ActionRole);
        buttons.push_back(b);
        if (i == preferred)
            box.setDefaultButton(b);
    }
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    box.setEscapeButton(cancel);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return static_cast<int>(i);
    return -1;
}

QString DialogPrompts::chooseFolder(QWidget *owner, const QString &folder)
{
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("Choose the label folder"),
                                             folder);
}

namespace {
const QString kExchangeFilter = QStringLiteral(
    "Translators' files (*.xlf *.xliff *.xlsx *.csv);;XLIFF (*.xlf *.xliff);;Workbook (*.xlsx);;"
    "CSV (*.csv)");
}

QString DialogPrompts::chooseExportFile(QWidget *owner, const QString &folder)
{
    return QFileDialog::getSaveFileName(owner, QStringLiteral("Export for translation"), folder,
                                        kExchangeFilter);
}

QString DialogPrompts::chooseImportFile(QWidget *owner, const QString &folder)
{
    return QFileDialog::getOpenFileName(owner, QStringLiteral("Import translations"), folder,
                                        kExchangeFilter);
}

int DialogPrompts::chooseItem(QWidget *owner, const QString &label, const QStringList &items)
{
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(owner, QStringLiteral("Verbolt"), label, items, 0, false, &ok);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

QString DialogPrompts::askText(QWidget *owner, const QString &label)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner, QStringLiteral("Verbolt"), label, QLineEdit::Normal, {}, &ok);
    return ok ? text : QString();
}

bool DialogPrompts::preview(ImportPreviewDlg &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

bool DialogPrompts::newLabel(NewLabelDlg &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

} // namespace verbolt
