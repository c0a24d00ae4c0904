// The Print command: the dialog first, then the results-ready check, then one page on
// the printer chosen, with every failure reported in the error box.

#include "tests/print_test_support.h"
#include "ui/printcommand.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trophex;
using namespace trophex::testing;

namespace {

// The print dialog of a test: records that it was asked and, when confirmed, prints to a
// PDF file as the platform dialog's "print to file" does.
class ScriptedPrintDialog : public PrintDialogRunner {
public:
    ScriptedPrintDialog(bool confirms, QString file, std::vector<std::string>& events)
        : confirms_(confirms), file_(std::move(file)), events_(events)
    {
    }
    bool confirm(QPrinter& printer) override
    {
        events_.push_back("dialog");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file_);
        return confirms_;
    }

private:
    bool confirms_;
    QString file_;
    std::vector<std::string>& events_;
};

struct PrintRun {
    PrintOutcome outcome;             // what the command returned
    std::vector<std::string> events;  // dialog and error messages, in order
    bool documentWritten;             // whether the printer produced a file
};

PrintRun runPrint(bool confirms, bool resultsReady, const QString& file)
{
    PrintRun run{};
    QPrinter printer(QPrinter::HighResolution);
    ScriptedPrintDialog dialog(confirms, file, run.events);
    run.outcome = runPrintCommand(printer, dialog, resultsReady, reportAfterCalculating(exampleLake()),
                                  [&run](ErrorCode error) { run.events.push_back(errorMessage(error)); });
    run.documentWritten = QFile::exists(file);
    return run;
}

}  // namespace

TEST(PrintCommand, DialogComesFirstThenNothingToPrint)
{
    QTemporaryDir dir;
    const PrintRun notReady = runPrint(true, false, dir.filePath("not-ready.pdf"));
    EXPECT_EQ(notReady.outcome, PrintOutcome::NothingToPrint);
    EXPECT_EQ(notReady.events, (std::vector<std::string>{"dialog", "There's nothing to print!"}));
    EXPECT_FALSE(notReady.documentWritten);

    const PrintRun cancelled = runPrint(false, true, dir.filePath("cancelled.pdf"));
    EXPECT_EQ(cancelled.outcome, PrintOutcome::Cancelled);
    EXPECT_EQ(cancelled.events, (std::vector<std::string>{"dialog"}));
    EXPECT_FALSE(cancelled.documentWritten);

    const PrintRun printed = runPrint(true, true, dir.filePath("printed.pdf"));
    EXPECT_EQ(printed.outcome, PrintOutcome::Printed);
    EXPECT_EQ(printed.events, (std::vector<std::string>{"dialog"}));
    EXPECT_TRUE(printed.documentWritten);
}

TEST(PrintCommand, PrinterThatCannotStartIsReported)
{
    QTemporaryDir dir;
    const PrintRun run = runPrint(true, true, dir.filePath("missing-folder/report.pdf"));
    EXPECT_EQ(run.outcome, PrintOutcome::PrinterFailed);
    EXPECT_EQ(run.events, (std::vector<std::string>{"dialog", "The report could not be printed!"}));
}
