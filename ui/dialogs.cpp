#include "ui/dialogs.h"

#include "ui/filedialog.h"
#include "ui/printcommand.h"

#include <QFileInfo>
#include <QMessageBox>

namespace trophex::ui {

namespace {

// The extension of a filter such as "PNG image (*.png)", with its dot.
QString filterExtension(const QString& filter)
{
    const qsizetype star = filter.lastIndexOf(QLatin1String("*."));
    const qsizetype end = filter.indexOf(QLatin1Char(')'), star);
    return star < 0 || end < 0 ? QString() : filter.mid(star + 1, end - star - 1);
}

}  // namespace

QString QtUserDialogs::openFileName(QWidget* parent, const QString& lastName)
{
    return DataFileDialog(parent, QFileDialog::AcceptOpen, lastName).chooseFile();
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& lastName)
{
    return DataFileDialog(parent, QFileDialog::AcceptSave, lastName).chooseFile();
}

QString QtUserDialogs::exportFileName(QWidget* parent, const QString& caption, const QString& lastName,
                                     const QStringList& filters)
{
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The replace question is asked by the caller, in the same way for every dialog.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString name = dialog.selectedFiles().constFirst();
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name + filterExtension(dialog.selectedNameFilter());
}

QString QtUserDialogs::openTableName(QWidget* parent, const QString& lastName)
{
    return DataFileDialog(parent, QFileDialog::AcceptOpen, lastName, QString::fromLatin1(TableFileFilter)).chooseFile();
}

QString QtUserDialogs::saveTableName(QWidget* parent, const QString& lastName)
{
    return DataFileDialog(parent, QFileDialog::AcceptSave, lastName, QString::fromLatin1(TableFileFilter)).chooseFile();
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
