#include "userprompts.h"

#include <QFileDialog>
#include <QMessageBox>

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

QString DialogPrompts::chooseFolder(QWidget *owner, const QString &folder)
{
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("Choose the label folder"),
                                             folder);
}

} // namespace verbolt
