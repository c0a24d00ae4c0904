// The Print and Printer Setup commands of the main window: the dialog first, the
// results-ready check, the report of the last completed calculation, one kept printer.

#include "tests/gui_test_support.h"

#include "ui/mainform.h"
#include "ui/statusline.h"
#include "ui/stringgrid.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace trophex;
using namespace trophex::ui;
using namespace trophex::ui::testing;

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    void cancelledDialogPrintsNothingAndSaysNothing();
    void reportIsThatOfTheLastCompletedCalculation();
    void failedOpenLeavesThePreviousRunsReport();
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

// Inputs edited after calculating are not those of the results: the report prints the texts
// the calculation read, and the balance results in the units chosen since.
void PrintTest::reportIsThatOfTheLastCompletedCalculation()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("Long Lake");
    editBox(&main, "AlkalinityEditBox")->clear();
    main.CalcButtonClick();
    chooseFromList(selector(&main, "OutVolUnits"), "gal/day");
    editBox(&main, "NameEditBox")->setText("Other Lake");
    editBox(&main, "WareaEditBox")->setText("999");
    chooseFromList(selector(&main, "EcoRegComboBox"), "WCP");
    typeInto(selector(&main, "LareaComboBox"), "mi2");
    QTest::keyClicks(editBox(&main, "PhosLoadEditBox"), "HELLO");  // result boxes take no typing

    const ReportTexts report = main.reportTexts();
    QCOMPARE(QString::fromStdString(report.NameEditBox), QStringLiteral("Long Lake"));
    QCOMPARE(QString::fromStdString(report.EcoRegComboBox), QStringLiteral("NLF"));
    QCOMPARE(QString::fromStdString(report.WareaEditBox), QStringLiteral("10"));
    QCOMPARE(QString::fromStdString(report.WareaComboBox), QStringLiteral("km2"));
    QCOMPARE(QString::fromStdString(report.LareaComboBox), QStringLiteral("km2"));
    QCOMPARE(QString::fromStdString(report.resultBox(OutputResult::OutVol)), QStringLiteral("1,761,264.00"));
    QCOMPARE(QString::fromStdString(report.resultUnit(OutputResult::OutVol)), QStringLiteral("gal/day"));
    QCOMPARE(QString::fromStdString(report.resultBox(OutputResult::PhosLoad)), QStringLiteral("135"));
    QCOMPARE(QString::fromStdString(report.resultBox(OutputResult::CVtp)), QStringLiteral("NA"));
    QCOMPARE(QString::fromStdString(report.resultUnit(OutputResult::CVtp)), QStringLiteral("ug/L"));
    QCOMPARE(QString::fromStdString(report.results[Result::PhosRet]), QStringLiteral("0.60"));
    QCOMPARE(QString::fromStdString(report.results[Result::SechiResidual]), QStringLiteral("-0.13"));
    QCOMPARE(QString::fromStdString(report.results[Result::Over60CaseC]), main.ChlrStringGrid().cell(4, 4));
    QCOMPARE(QString::fromStdString(report.results[Result::AvgTSI]), QStringLiteral("52"));

    // The balance results follow their selectors; a text that names no unit prints the
    // result with the unit it is shown in.
    typeInto(selector(&main, "ResTimeUnits"), "DAYS");
    typeInto(selector(&main, "WatLoadUnits"), "furlongs");
    const ReportTexts later = main.reportTexts();
    QCOMPARE(QString::fromStdString(later.resultBox(OutputResult::ResTime)), QStringLiteral("751"));
    QCOMPARE(QString::fromStdString(later.resultUnit(OutputResult::ResTime)), QStringLiteral("days"));
    QCOMPARE(QString::fromStdString(later.resultBox(OutputResult::WatLoad)), QStringLiteral("2.43"));
    QCOMPARE(QString::fromStdString(later.resultUnit(OutputResult::WatLoad)), QStringLiteral("m/yr"));

    // The next calculation reads the edited texts, and the report follows.
    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors, QStringList());
    QCOMPARE(QString::fromStdString(main.reportTexts().NameEditBox), QStringLiteral("Other Lake"));
    QCOMPARE(QString::fromStdString(main.reportTexts().EcoRegComboBox), QStringLiteral("WCP"));
}

// A file whose inputs do not calculate leaves nothing to pair with the results on show: the
// report stays that of the run before, texts and results alike.
void PrintTest::failedOpenLeavesThePreviousRunsReport()
{
    QTemporaryDir dir;
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("First Lake");
    main.CalcButtonClick();
    const ReportTexts before = main.reportTexts();

    editBox(&main, "NameEditBox")->setText("Second Lake");
    editBox(&main, "WareaEditBox")->setText("999");
    editBox(&main, "DepthEditBox")->setText("deep");
    const QString file = dir.filePath("second.tpx");
    program.dialogs.saveNames.push_back(file);
    main.SaveBtnClick();
    main.ClearBtnClick();
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("First Lake");
    main.CalcButtonClick();

    program.dialogs.openNames.push_back(file);
    main.OpenBtnClick();
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    QCOMPARE(main.controlText("NameEditBox"), QStringLiteral("Second Lake"));
    const ReportTexts after = main.reportTexts();
    QCOMPARE(QString::fromStdString(after.NameEditBox), QStringLiteral("First Lake"));
    QCOMPARE(QString::fromStdString(after.WareaEditBox), QStringLiteral("10"));
    QVERIFY(after.results.texts == before.results.texts);
    QCOMPARE(main.statusText(), QString::fromLatin1(InputsChangedMessage));
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

    // The page itself, read back: the run's inputs beside its results, not the edits since.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) not installed");
    editBox(&main, "WareaEditBox")->setText("999");
    chooseFromList(selector(&main, "EcoRegComboBox"), "WCP");
    program.dialogs.printAnswers.push_back(true);
    main.PrintBtnClick();
    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(60000));
    const QString page = QString::fromUtf8(reader.readAllStandardOutput());
    QVERIFY2(page.contains(QStringLiteral("Watershed Area: 10 km2")), qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("Ecoregion: NLF")));
    QVERIFY(page.contains(QStringLiteral("Lake Outflow: 2.43 hm3/yr")));
    QVERIFY(!page.contains(QStringLiteral("999")));
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
