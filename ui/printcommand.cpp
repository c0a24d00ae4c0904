#include "ui/printcommand.h"

#include "print/reportpainter.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace trophex {

bool SystemPrintDialog::confirm(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent_);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile);
    return dialog.exec() == QDialog::Accepted;
}

PrintOutcome runPrintCommand(QPrinter& printer, PrintDialogRunner& dialog, bool resultsReady,
                             const ReportTexts& texts, const ErrorDisplay& showError)
{
    return runPrintCommand(
        printer, dialog, resultsReady, [&](QPaintDevice& device) { return printReport(device, texts); }, showError);
}

PrintOutcome runPrintCommand(QPrinter& printer, PrintDialogRunner& dialog, bool resultsReady,
                             const PagePrinter& printPage, const ErrorDisplay& showError)
{
    if (!dialog.confirm(printer))
        return PrintOutcome::Cancelled;
    if (!resultsReady) {
        showError(ErrorCode::NothingToPrint);
        return PrintOutcome::NothingToPrint;
    }
    if (!printPage(printer)) {
        showError(ErrorCode::PrintFailed);
        return PrintOutcome::PrinterFailed;
    }
    return PrintOutcome::Printed;
}

void runPrinterSetup(QPrinter& printer, QWidget* parent)
{
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

}  // namespace trophex
