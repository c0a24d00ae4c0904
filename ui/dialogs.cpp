#include "ui/dialogs.h"

#include "ui/printcommand.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace trophex::ui {

namespace {

QString runFileDialog(QWidget* parent, const QString& lastName, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // The open dialog also takes the name of a file that does not exist; opening it then
    // reports the file system's error.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(DataFileFilter);
    // The replace question is asked by the caller, in the same way for every dialog.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtUserDialogs::openFileName(QWidget* parent, const QString& lastName)
{
    return runFileDialog(parent, lastName, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& lastName)
{
    return runFileDialog(parent, lastName, QFileDialog::AcceptSave);
}

bool QtUserDialogs::confirmReplace(QWidget* parent, const QString& fileName)
{
    const QString question =
        QObject::tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(fileName).fileName());
    return QMessageBox::question(parent, QObject::tr("Confirm Save As"), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void QtUserDialogs::showError(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), message, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserDialogs::confirmPrint(QWidget* parent, QPrinter& printer)
{
    return SystemPrintDialog(parent).confirm(printer);
}

void QtUserDialogs::setUpPrinter(QWidget* parent, QPrinter& printer)
{
    runPrinterSetup(printer, parent);
}

}  // namespace trophex::ui
