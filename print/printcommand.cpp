#include "print/printcommand.h"

#include "print/reportlayout.h"
#include "print/reportpainter.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace trophex {

bool SystemPrintDialog::confirm(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent_);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile);
    return dialog.exec() == QDialog::Accepted;
}

void drawReport(QPainter& painter, const ReportTexts& texts)
{
    const QPaintDevice& device = *painter.device();
    paintReport(painter, layoutReport(device.width(), device.height(), texts));
}

PrintOutcome runPrintCommand(QPrinter& printer, PrintDialogRunner& dialog, bool resultsReady,
                             const ReportTexts& texts, const ErrorDisplay& showError)
{
    if (!dialog.confirm(printer))
        return PrintOutcome::Cancelled;
    if (!resultsReady) {
        showError(NothingToPrintMessage);
        return PrintOutcome::NothingToPrint;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        showError(PrinterFailedMessage);
        return PrintOutcome::PrinterFailed;
    }
    drawReport(painter, texts);
    painter.end();
    return PrintOutcome::Printed;
}

void runPrinterSetup(QPrinter& printer, QWidget* parent)
{
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

}  // namespace trophex
