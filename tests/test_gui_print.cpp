// The Print and Printer Setup commands of the main window: the dialog first, the
// results-ready check, the report taken from the controls as they stand, one kept printer.

#include "tests/gui_test_support.h"

#include "ui/mainform.h"
#include "ui/stringgrid.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace trophex;
using namespace trophex::ui;
using namespace trophex::ui::testing;

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    void cancelledDialogPrintsNothingAndSaysNothing();
    void reportTakesTheControlsAsTheyStand();
    void confirmedPrintWritesOnePageToThePrinter();
    void printerSetupUsesTheKeptPrinter();
};

void PrintTest::cancelledDialogPrintsNothingAndSaysNothing()
{
    Program program;
    program.endStartupScreen();
    program.main.PrintBtnClick();
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    program.main.Print1Click();
    QCOMPARE(program.dialogs.printDialogs, 2);
    QVERIFY(program.dialogs.errors.isEmpty());
}

void PrintTest::reportTakesTheControlsAsTheyStand()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("Long Lake");
    editBox(&main, "AlkalinityEditBox")->clear();
    main.CalcButtonClick();
    chooseFromList(selector(&main, "OutVolUnits"), "gal/day");
    chooseFromList(selector(&main, "EcoRegComboBox"), "CHF");

    const ReportTexts report = main.reportTexts();
    QCOMPARE(QString::fromStdString(report.NameEditBox), QStringLiteral("Long Lake"));
    QCOMPARE(QString::fromStdString(report.EcoRegComboBox), QStringLiteral("CHF"));
    QCOMPARE(QString::fromStdString(report.WareaComboBox), QStringLiteral("km2"));
    QCOMPARE(QString::fromStdString(report.resultBox(OutputResult::OutVol)), QStringLiteral("1,761,264.00"));
    QCOMPARE(QString::fromStdString(report.resultUnit(OutputResult::OutVol)), QStringLiteral("gal/day"));
    QCOMPARE(QString::fromStdString(report.resultBox(OutputResult::CVtp)), QStringLiteral("NA"));
    QCOMPARE(QString::fromStdString(report.resultUnit(OutputResult::CVtp)), QStringLiteral("ug/L"));
    QCOMPARE(QString::fromStdString(report.results[Result::PhosRet]), QStringLiteral("0.60"));
    QCOMPARE(QString::fromStdString(report.results[Result::SechiResidual]), QStringLiteral("-0.13"));
    QCOMPARE(QString::fromStdString(report.results[Result::Over60CaseC]), main.ChlrStringGrid().cell(4, 4));
    QCOMPARE(QString::fromStdString(report.results[Result::AvgTSI]), QStringLiteral("52"));

    editBox(&main, "AvgTSIeditBox")->setText("62");
    QCOMPARE(QString::fromStdString(main.reportTexts().results[Result::AvgTSI]), QStringLiteral("62"));
}

void PrintTest::confirmedPrintWritesOnePageToThePrinter()
{
    QTemporaryDir dir;
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    main.CalcButtonClick();
    const QString pdf = dir.filePath("report.pdf");
    main.printer().setOutputFormat(QPrinter::PdfFormat);
    main.printer().setOutputFileName(pdf);
    program.dialogs.printAnswers.push_back(true);

    main.PrintBtnClick();
    QVERIFY(program.dialogs.errors.isEmpty());
    QVERIFY(QFileInfo(pdf).size() > 1000);
}

void PrintTest::printerSetupUsesTheKeptPrinter()
{
    Program program;
    program.endStartupScreen();
    QPrinter* first = &program.main.printer();
    program.main.PrinterSetup1Click();
    QCOMPARE(program.dialogs.printerSetups, 1);
    QCOMPARE(&program.main.printer(), first);
}

QTEST_MAIN(PrintTest)
#include "test_gui_print.moc"
