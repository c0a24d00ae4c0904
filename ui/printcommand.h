#pragma once
// The Print and Printer Setup commands, independent of the window that offers them.
//
// The caller keeps one QPrinter for the whole run: the print dialog and the page setup
// dialog both change it, and later reports go to what was chosen there.

#include "model/errors.h"
#include "print/reporttexts.h"

#include <functional>
#include <string>

class QPaintDevice;
class QPrinter;
class QWidget;

namespace trophex {

// The print dialog as the Print command uses it.
class PrintDialogRunner {
public:
    virtual ~PrintDialogRunner() = default;
    // Lets the user choose and set up the printer; true when the user confirmed.
    virtual bool confirm(QPrinter& printer) = 0;
};

// The platform's print dialog: printer choice, its settings and printing to a PDF file;
// no page ranges, no selection.
class SystemPrintDialog : public PrintDialogRunner {
public:
    explicit SystemPrintDialog(QWidget* parent) : parent_(parent) {}
    bool confirm(QPrinter& printer) override;

private:
    QWidget* parent_;  // owner window of the modal dialog
};

// Shows one error to the user (the window's error box).
using ErrorDisplay = std::function<void(ErrorCode error)>;

enum class PrintOutcome {
    Cancelled,       // the user cancelled the print dialog
    NothingToPrint,  // confirmed, but no results were ready; the error box was shown
    PrinterFailed,   // the printer refused the document or failed to finish it; the error box was shown
    Printed,         // one page was drawn and the document ended
};

// Draws one page on the device as one document; false when the device failed.
using PagePrinter = std::function<bool(QPaintDevice& device)>;

// The Print command: the dialog first, then the results-ready check, then one document of
// one page on the chosen printer.
PrintOutcome runPrintCommand(QPrinter& printer, PrintDialogRunner& dialog, bool resultsReady,
                             const PagePrinter& printPage, const ErrorDisplay& showError);
PrintOutcome runPrintCommand(QPrinter& printer, PrintDialogRunner& dialog, bool resultsReady,
                             const ReportTexts& texts, const ErrorDisplay& showError);

// The Printer Setup command: the platform's page setup dialog on the kept printer.
void runPrinterSetup(QPrinter& printer, QWidget* parent);

}  // namespace trophex
