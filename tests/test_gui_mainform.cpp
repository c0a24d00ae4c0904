// The main window: start-up, the Calculate and Clear commands, the output unit selectors,
// the ecoregion selector and the routing of the menus.

#include "tests/gui_test_support.h"

#include "ui/aboutbox.h"
#include "ui/calibrateform.h"
#include "ui/helpviewer.h"
#include "ui/mainform.h"
#include "ui/statusline.h"
#include "ui/stringgrid.h"
#include "ui/widgets.h"

#include <QAction>
#include <QClipboard>
#include <QStatusBar>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

QStringList calibrationSet(TCalibrateForm& form)
{
    QStringList texts;
    for (const std::string& text : form.calibrationTexts())
        texts << QString::fromStdString(text);
    return texts;
}

const QStringList NlfDefaults = {"52",    "0.74",  "0.61",  "0.23",  "15",    "0.01", "0.202", "0.04",
                                 "0.126", "0.038", "0.027", "0.071", "0.019", "0.48", "0.20"};

QStringList gridRow(const StringGrid& grid, int row)
{
    QStringList cells;
    for (int column = 1; column < grid.columnCount(); ++column)
        cells << grid.cell(column, row);
    return cells;
}

QStringList gridColumn(const StringGrid& grid, int column)
{
    QStringList cells;
    for (int row = 1; row < grid.rowCount(); ++row)
        cells << grid.cell(column, row);
    return cells;
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void startupShowsTheStartupScreenForThreeSeconds();
    void calculateShowsTheWorkedExample();
    void invalidInputChangesNothing();
    void invalidInputBeforeAnyResultLeavesNothingToPrint();
    void floatingPointFaultChangesNothing_data();
    void floatingPointFaultChangesNothing();
    void clearEmptiesBoxesAndGridsButKeepsSelections();
    void unitSelectorsConvertForDisplayOnly();
    void unitSelectorsWaitForResults();
    void notAvailableStaysWhateverTheUnit();
    void calculatingAgainResetsTheUnits();
    void ecoregionChangeAppliesDefaultsAtEachEdit();
    void tabReachesEveryControlInReadingOrder();
    void resultGridsLetTheKeyboardLeaveAndSwitchPages();
    void returnOrSpacePressesTheFocusedButton();
    void menusRunTheButtonHandlers();
    void aboutWindowClosesWithOkEscapeOrReturn();
    void startupScreenClosesWithEscape();
    void resultBoxesAreReadOnlyButCopyable();
    void resultsOfAVeryLargeLakeAreShownWhole();
    void tooLongResultShowsItsStart();
    void invalidInputFocusesTheFailingControl_data();
    void invalidInputFocusesTheFailingControl();
    void invalidCalibrationInputOpensTheCalibrateDialogAtIt();
    void statusLineSaysWhenInputsDifferFromTheResults();
};

void MainFormTest::startupShowsTheStartupScreenForThreeSeconds()
{
    QElapsedTimer clock;
    clock.start();
    Program program;
    TMainForm& main = program.main;
    TAboutBox& about = *program.windows.AboutBox;

    QCOMPARE(main.windowTitle(), QStringLiteral("Tarnovale"));
    QCOMPARE(main.centralWidget()->size(), QSize(640, 416));
    QVERIFY(main.isVisible());
    QVERIFY(!main.isEnabled());
    QVERIFY(about.isVisible());
    QVERIFY(!about.OKButton()->isVisible());
    QCOMPARE(about.Timer1()->interval(), 3000);
    QVERIFY(!program.windows.CalibrateForm->isVisible());
    QCOMPARE(calibrationSet(*program.windows.CalibrateForm), NlfDefaults);
    QCOMPARE(main.ResultsReady(), 0);
    QCOMPARE(main.controlText("EcoRegComboBox"), QStringLiteral("NLF"));
    QCOMPARE(main.controlText("AlkalinityUnitComboBox"), QStringLiteral("mg/L"));
    QCOMPARE(main.controlText("OutVolUnits"), QStringLiteral("hm3/yr"));
    QCOMPARE(gridRow(main.CompStringGrid(), 0), QStringList({"Observed", "Predicted", "Std Error", "Residual", "T-test"}));
    QCOMPARE(gridColumn(main.ChlrStringGrid(), 0), QStringList({"10", "20", "30", "60"}));

    // The disabled window ignores the mouse: with every input empty a calculation would
    // report an error.
    QTest::mouseClick(main.findChild<QPushButton*>("CalcButton"), Qt::LeftButton);
    QVERIFY(program.dialogs.errors.isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(main.isEnabled(), 6000);
    QVERIFY(clock.elapsed() >= 2900);
    QVERIFY(!about.isVisible());
    QVERIFY(!about.Timer1()->isActive());
}

void MainFormTest::calculateShowsTheWorkedExample()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    QTest::mouseClick(main.findChild<QPushButton*>("CalcButton"), Qt::LeftButton);

    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(main.ResultsReady(), 1);
    const std::pair<const char*, const char*> boxes[] = {
        {"OutVolEditBox", "2.43"}, {"WatLoadEditBox", "2.43"}, {"ResTimeEditBox", "2.1"},  {"PhosLoadEditBox", "135"},
        {"AvgInTPEditBox", "55"},  {"CVtpEditBox", "16.2"},    {"PhosRetEditBox", "0.60"}, {"AvgTSIeditBox", "52"},
        {"PhosTSIeditBox", "53"},  {"ChlrATSIeditBox", "53"},  {"SecchiTSIeditBox", "50"}};
    for (const auto& [box, text] : boxes)
        QCOMPARE(main.controlText(box), QString::fromLatin1(text));
    const StringGrid& comp = main.CompStringGrid();
    QCOMPARE(gridRow(comp, 1), QStringList({"30", "22", "7", "0.13", "0.88"}));
    QCOMPARE(gridRow(comp, 2), QStringList({"10.0", "6.1", "3.5", "0.22", "0.79"}));
    QCOMPARE(gridRow(comp, 3), QStringList({"2.0", "2.7", "1.0", "-0.13", "-0.71"}));
    // Observed column worked by hand: ln(X/10) + 0.48^2/2 over 0.48, upper normal tail.
    const StringGrid& chlr = main.ChlrStringGrid();
    QCOMPARE(gridColumn(chlr, 1), QStringList({"40%", "5%", "1%", "0%"}));
    // A wider spread moves every frequency towards 50%: Case A <= Case B <= Case C at 10 ug/L.
    const auto percent = [&](int column, int row) { return chlr.cell(column, row).chopped(1).toInt(); };
    QVERIFY(percent(2, 1) < percent(3, 1) && percent(3, 1) < percent(4, 1));
    for (int column = 1; column <= 4; ++column)
        QVERIFY(percent(column, 1) >= percent(column, 4));
    // The command leaves the page, the inputs and the input selectors as they were.
    QCOMPARE(main.controlText("WareaComboBox"), QStringLiteral("km2"));
    QCOMPARE(main.controlText("WareaEditBox"), QStringLiteral("10"));
}

void MainFormTest::invalidInputChangesNothing()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    showPage(main, "TSI");
    main.CalcButtonClick();
    chooseFromList(selector(&main, "OutVolUnits"), "L/day");
    editBox(&main, "DepthEditBox")->setText("5 m");
    const Snapshot before = snapshot(main);

    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    QVERIFY(snapshot(main) == before);
    showPage(main, "Output");
    showPage(main, "TSI");
    QVERIFY(snapshot(main) == before);
}

void MainFormTest::invalidInputBeforeAnyResultLeavesNothingToPrint()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    editBox(&program.main, "WareaEditBox")->clear();
    program.main.CalcButtonClick();
    program.dialogs.printAnswers.push_back(true);
    program.main.PrintBtnClick();
    QCOMPARE(program.dialogs.printDialogs, 1);
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!", "There's nothing to print!"}));
}

void MainFormTest::floatingPointFaultChangesNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    // The platform's message, and under it the input that caused the fault.
    QTest::newRow("no lake area") << "LareaEditBox" << "0"
                                  << "Floating point division by zero\nSurface area must be greater than zero.";
    QTest::newRow("no phosphorus observed")
        << "TPeditBox" << "0" << "Floating point division by zero\nTotal phosphorus must be greater than zero.";
    QTest::newRow("negative Secchi depth")
        << "SechiEditBox" << "-2" << "Invalid floating point operation\nSecchi depth must be greater than zero.";
    QTest::newRow("negative alkalinity")
        << "AlkalinityEditBox" << "-1" << "Invalid floating point operation\nAlkalinity must be greater than zero.";
    QTest::newRow("watershed beyond range") << "WareaEditBox" << "1e39"
                                            << "Floating point overflow\nWatershed area is too large.";
}

void MainFormTest::floatingPointFaultChangesNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    showPage(main, "TSI");
    main.CalcButtonClick();
    editBox(&main, box.toLatin1().constData())->setText(text);
    const Snapshot before = snapshot(main);

    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors, QStringList({message}));
    QVERIFY(snapshot(main) == before);
}

void MainFormTest::clearEmptiesBoxesAndGridsButKeepsSelections()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "NameEditBox")->setText("Long Lake");
    main.CalcButtonClick();
    chooseFromList(selector(&main, "OutVolUnits"), "gal/day");
    chooseFromList(selector(&main, "EcoRegComboBox"), "CHF");
    const QStringList calibration = calibrationSet(*program.windows.CalibrateForm);

    main.ClearBtnClick();
    for (QLineEdit* box : main.findChildren<QLineEdit*>())
        if (!box->objectName().isEmpty())
            QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    QCOMPARE(gridRow(main.CompStringGrid(), 2), QStringList({"", "", "", "", ""}));
    QCOMPARE(gridColumn(main.ChlrStringGrid(), 4), QStringList({"", "", "", ""}));
    QCOMPARE(main.CompStringGrid().cell(0, 2), QStringLiteral("Chlr a (ug/L)"));
    QCOMPARE(main.ChlrStringGrid().cell(4, 0), QStringLiteral("Case C"));
    QCOMPARE(main.controlText("OutVolUnits"), QStringLiteral("gal/day"));
    QCOMPARE(main.controlText("WareaComboBox"), QStringLiteral("km2"));
    QCOMPARE(main.controlText("EcoRegComboBox"), QStringLiteral("CHF"));
    QCOMPARE(calibrationSet(*program.windows.CalibrateForm), calibration);
    QCOMPARE(main.ResultsReady(), 0);

    program.dialogs.printAnswers.push_back(true);
    main.PrintBtnClick();
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to print!"}));
}

void MainFormTest::unitSelectorsConvertForDisplayOnly()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    main.CalcButtonClick();
    const trophex::ModelState state = main.modelState();

    const std::tuple<const char*, const char*, const char*, const char*> choices[] = {
        {"OutVolUnits", "gal/day", "OutVolEditBox", "1,761,264.00"},
        {"OutVolUnits", "m3/sec", "OutVolEditBox", "0.08"},
        {"ResTimeUnits", "days", "ResTimeEditBox", "751"},
        {"ResTimeUnits", "hours", "ResTimeEditBox", "18025"},
        {"ResTimeUnits", "years", "ResTimeEditBox", "2.1"},
        {"AvgInTPunits", "mg/L", "AvgInTPEditBox", "0.055"},
        {"CVtpUnits", "mg/L", "CVtpEditBox", "0.016"},
        {"PhosLoadUnits", "lbs/yr", "PhosLoadEditBox", "297"},
        {"WatLoadUnits", "ft/yr", "WatLoadEditBox", "7.97"},
    };
    for (const auto& [name, unit, box, shown] : choices) {
        chooseFromList(selector(&main, name), QString::fromLatin1(unit));
        QCOMPARE(main.controlText(box), QString::fromLatin1(shown));
    }

    // Typing runs the handler at each edit; a text that is no unit shows the model unit.
    QComboBox* inDay = selector(&main, "WatLoadUnits");
    typeInto(inDay, "in/day");
    QCOMPARE(main.controlText("WatLoadEditBox"), QStringLiteral("0.26"));
    typeInto(inDay, "inches");
    QCOMPARE(main.controlText("WatLoadEditBox"), QStringLiteral("2.43"));

    // The handlers read the model, not the box.
    editBox(&main, "OutVolEditBox")->setText("12345");
    chooseFromList(selector(&main, "OutVolUnits"), "hm3/yr");
    QCOMPARE(main.controlText("OutVolEditBox"), QStringLiteral("2.43"));
    QCOMPARE(main.modelState().OutVol, state.OutVol);
    QCOMPARE(main.modelState().ResTime, state.ResTime);
}

void MainFormTest::unitSelectorsWaitForResults()
{
    Program program;
    program.endStartupScreen();
    chooseFromList(selector(&program.main, "OutVolUnits"), "L/day");
    typeInto(selector(&program.main, "ResTimeUnits"), "days");
    QCOMPARE(program.main.controlText("OutVolEditBox"), QString());
    QCOMPARE(program.main.controlText("ResTimeEditBox"), QString());
    QCOMPARE(program.main.controlText("OutVolUnits"), QStringLiteral("L/day"));
}

void MainFormTest::notAvailableStaysWhateverTheUnit()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    editBox(&program.main, "AlkalinityEditBox")->clear();
    program.main.CalcButtonClick();
    QCOMPARE(program.main.ResultsReady(), 1);
    QCOMPARE(program.main.controlText("CVtpEditBox"), QStringLiteral("NA"));
    chooseFromList(selector(&program.main, "CVtpUnits"), "mg/L");
    QCOMPARE(program.main.controlText("CVtpEditBox"), QStringLiteral("NA"));
    typeInto(selector(&program.main, "CVtpUnits"), "ug/L");
    QCOMPARE(program.main.controlText("CVtpEditBox"), QStringLiteral("NA"));
}

void MainFormTest::calculatingAgainResetsTheUnits()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    main.CalcButtonClick();
    chooseFromList(selector(&main, "OutVolUnits"), "gal/day");
    chooseFromList(selector(&main, "ResTimeUnits"), "hours");
    main.CalcButtonClick();
    QCOMPARE(main.controlText("OutVolUnits"), QStringLiteral("hm3/yr"));
    QCOMPARE(main.controlText("OutVolEditBox"), QStringLiteral("2.43"));
    QCOMPARE(main.controlText("ResTimeUnits"), QStringLiteral("years"));
    QCOMPARE(main.controlText("ResTimeEditBox"), QStringLiteral("2.1"));
    // The list shows the reset unit as its current item too.
    QCOMPARE(selector(&main, "OutVolUnits")->currentIndex(), 0);
}

void MainFormTest::ecoregionChangeAppliesDefaultsAtEachEdit()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    TCalibrateForm& calibrate = *program.windows.CalibrateForm;
    enterWorkedExample(main);
    main.CalcButtonClick();
    const Snapshot results = snapshot(main);
    editBox(&calibrate, "V3EditBox")->setText("0.05");

    chooseFromList(selector(&main, "EcoRegComboBox"), "WCP");
    QStringList wcp = NlfDefaults;
    for (int i = 0; i < 5; ++i)
        wcp[i] = QStringList({"570", "0.80", "0.74", "0.13", "30"})[i];
    QCOMPARE(calibrationSet(calibrate), wcp);

    QComboBox* ecoregion = selector(&main, "EcoRegComboBox");
    typeInto(ecoregion, "C");
    QCOMPARE(ecoregion->currentText(), QStringLiteral("C"));  // typed text is not completed
    QCOMPARE(calibrationSet(calibrate).mid(0, 5), QStringList({"1500", "0.64", "0.76", "0.05", "30"}));
    QTest::keyClicks(ecoregion->lineEdit(), "HF");
    QCOMPARE(calibrationSet(calibrate).mid(0, 5), QStringList({"148", "0.75", "0.71", "0.13", "30"}));
    QTest::keyClick(ecoregion->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(calibrationSet(calibrate).first(), QStringLiteral("1500"));
    typeInto(ecoregion, "nlf");  // the code in any letter case
    QCOMPARE(calibrationSet(calibrate).first(), QStringLiteral("52"));
    typeInto(ecoregion, "Northern");
    QCOMPARE(calibrationSet(calibrate).first(), QStringLiteral("1500"));

    // Nothing is recalculated.
    Snapshot after = snapshot(main);
    after.texts["EcoRegComboBox"] = results.texts["EcoRegComboBox"];
    after.chart = results.chart;
    QVERIFY(after == results);
}

// Tab, from the first button of the command row, visits the controls in reading order:
// the command row, the left input group, the right one, the page tabs and the page, and
// then starts again; Shift+Tab goes back.
void MainFormTest::tabReachesEveryControlInReadingOrder()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    const QStringList expected = {
        "CalibrateBtn", "CalcButton", "PrintBtn", "SaveBtn", "OpenBtn", "ClearBtn", "HelpBtn",
        "NameEditBox", "EcoRegComboBox", "WareaEditBox", "WareaComboBox", "LareaEditBox", "LareaComboBox",
        "DepthEditBox", "DepthComboBox", "TPeditBox", "TPunitComboBox", "ChlrAeditBox", "ChlrAunitComboBox",
        "SechiEditBox", "SechiUnitComboBox", "AlkalinityEditBox", "AlkalinityUnitComboBox", "qt_tabwidget_tabbar",
        "AvgInTPEditBox", "AvgInTPunits", "PhosLoadEditBox", "PhosLoadUnits", "CVtpEditBox", "CVtpUnits",
        "PhosRetEditBox", "OutVolEditBox", "OutVolUnits", "ResTimeEditBox", "ResTimeUnits", "WatLoadEditBox",
        "WatLoadUnits", "CalibrateBtn"};
    main.findChild<QPushButton*>("CalibrateBtn")->setFocus();
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("WatLoadUnits"));

    showPage(main, "TSI");
    editBox(&main, "AlkalinityEditBox")->setFocus();
    QStringList indexBoxes;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        indexBoxes << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(indexBoxes, QStringList({"AlkalinityUnitComboBox", "qt_tabwidget_tabbar", "AvgTSIeditBox",
                                      "PhosTSIeditBox", "ChlrATSIeditBox", "SecchiTSIeditBox"}));
}

void MainFormTest::resultGridsLetTheKeyboardLeaveAndSwitchPages()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTabWidget* pages = main.findChild<QTabWidget*>();
    for (StringGrid* grid : {&main.ChlrStringGrid(), &main.CompStringGrid()}) {
        int page = 0;
        while (!pages->widget(page)->isAncestorOf(grid))
            ++page;
        pages->setCurrentIndex(page);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(!grid->hasFocus());
        for (const auto& [key, step] : {std::pair{Qt::Key_Tab, 1}, std::pair{Qt::Key_Backtab, -1}}) {
            pages->setCurrentIndex(page);
            grid->setFocus();
            QTest::keyClick(grid, key, Qt::ControlModifier);
            QCOMPARE(pages->currentIndex(), (page + step + pages->count()) % pages->count());
        }
    }
}

void MainFormTest::returnOrSpacePressesTheFocusedButton()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    enterWorkedExample(main);
    auto* calculate = main.findChild<QPushButton*>("CalcButton");
    calculate->setFocus();
    QTest::keyClick(calculate, Qt::Key_Return);
    QCOMPARE(main.ResultsReady(), 1);
    auto* clear = main.findChild<QPushButton*>("ClearBtn");
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key_Space);
    QCOMPARE(main.ResultsReady(), 0);
    enterWorkedExample(main);
    calculate->setFocus();
    QTest::keyClick(calculate, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(main.ResultsReady(), 1);
    QVERIFY(program.dialogs.errors.isEmpty());
}

void MainFormTest::menusRunTheButtonHandlers()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    QStringList titles;
    for (QAction* menu : main.menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, QStringList({"&File", "&Tools", "&Help"}));
    const auto trigger = [&](const char* name) { main.findChild<QAction*>(QString::fromLatin1(name))->trigger(); };

    enterWorkedExample(main);
    trigger("Calculate1");
    QCOMPARE(main.ResultsReady(), 1);
    trigger("Clear1");
    QCOMPARE(main.ResultsReady(), 0);
    program.dialogs.printAnswers.push_back(true);
    trigger("Print1");
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to print!"}));
    trigger("PrinterSetup1");
    QCOMPARE(program.dialogs.printerSetups, 1);
    trigger("Open1");
    trigger("Save1");
    QCOMPARE(program.dialogs.openStartNames.size(), 1);
    QCOMPARE(program.dialogs.saveStartNames.size(), 1);
    trigger("Search1");
    QVERIFY(program.windows.Help->isVisible());
    QCOMPARE(program.windows.Help->browser()->source().fragment(), QStringLiteral("topic0"));
    trigger("Calibrate1");
    QVERIFY(program.windows.CalibrateForm->isVisible());
    QVERIFY(!main.isEnabled());
}

void MainFormTest::aboutWindowClosesWithOkEscapeOrReturn()
{
    Program program;
    program.endStartupScreen();
    TAboutBox& about = *program.windows.AboutBox;
    const auto open = [&] {
        program.main.findChild<QAction*>("About1")->trigger();
        QVERIFY(about.isVisible());
        QVERIFY(about.OKButton()->isVisible());
        QVERIFY(!program.main.isEnabled());
        QVERIFY(!about.Timer1()->isActive());
    };
    open();
    QTest::mouseClick(about.OKButton(), Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QVERIFY(program.main.isEnabled());

    for (const auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space}) {
        open();
        // The key goes where the focus is: the OK button when the box has the focus.
        QWidget* target = about.focusWidget() ? about.focusWidget() : &about;
        QTest::keyClick(target, key);
        QVERIFY(!about.isVisible());
        QVERIFY(program.main.isEnabled());
    }
    open();
    QTest::keyClick(&about, Qt::Key_Return);  // with the focus nowhere in particular
    QVERIFY(!about.isVisible());
    QVERIFY(program.main.isEnabled());
}

void MainFormTest::startupScreenClosesWithEscape()
{
    Program program;
    TAboutBox& about = *program.windows.AboutBox;
    QTest::keyClick(&about, Qt::Key_Escape);
    QVERIFY(!about.isVisible());
    QVERIFY(program.main.isEnabled());
    // The timer's tick later finds the box hidden already and changes nothing.
    about.Timer1Timer();
    QVERIFY(!about.isVisible());
    QVERIFY(program.main.isEnabled());
}

namespace {

const char* const ResultBoxes[] = {"AvgInTPEditBox", "PhosLoadEditBox", "CVtpEditBox",     "PhosRetEditBox",
                                   "OutVolEditBox",  "ResTimeEditBox",  "WatLoadEditBox",  "AvgTSIeditBox",
                                   "PhosTSIeditBox", "ChlrATSIeditBox", "SecchiTSIeditBox"};

// Where the box, painted now, shows its cursor.
int paintedCursorX(QLineEdit* box)
{
    box->repaint();  // a box scrolls its text as it paints it
    return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
}

// Whether the box shows its whole text: with the cursor moved from its start to its end,
// the cursor travels the whole width of the text, so the box did not scroll.
bool showsWhole(QLineEdit* box)
{
    const auto cursorX = [box] { return paintedCursorX(box); };
    box->setCursorPosition(0);
    const int start = cursorX();
    box->setCursorPosition(int(box->text().size()));
    const int end = cursorX();
    box->setCursorPosition(0);
    return end - start == box->fontMetrics().horizontalAdvance(box->text()) && end < box->width();
}

}  // namespace

void MainFormTest::resultBoxesAreReadOnlyButCopyable()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    enterWorkedExample(main);
    main.CalcButtonClick();
    for (const char* name : ResultBoxes) {
        QLineEdit* box = editBox(&main, name);
        QVERIFY2(box->isReadOnly(), name);
        const QString shown = box->text();
        showPage(main, QString::fromLatin1(name).contains("TSI") ? "TSI" : "Output");
        box->setFocus();
        QTest::keyClicks(box, "HELLO");
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), shown);
    }
    QLineEdit* retention = editBox(&main, "PhosRetEditBox");
    showPage(main, "Output");
    retention->setFocus();
    QTest::keyClick(retention, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(retention->selectedText(), QStringLiteral("0.60"));
    QTest::keyClick(retention, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("0.60"));
    // The report prints what was computed.
    QCOMPARE(QString::fromStdString(main.reportTexts().results[trophex::Result::PhosRet]), QStringLiteral("0.60"));
}

// A lake of 10,000 km2 whose watershed is ten times as large: every result, in every unit
// its selector offers, fits its box.
void MainFormTest::resultsOfAVeryLargeLakeAreShownWhole()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "WareaEditBox")->setText("100000");
    editBox(&main, "LareaEditBox")->setText("10000");
    editBox(&main, "DepthEditBox")->setText("300");
    main.CalcButtonClick();
    QVERIFY(program.dialogs.errors.isEmpty());
    showPage(main, "TSI");
    for (const char* name : {"AvgTSIeditBox", "PhosTSIeditBox", "ChlrATSIeditBox", "SecchiTSIeditBox"})
        QVERIFY2(showsWhole(editBox(&main, name)), name);
    showPage(main, "Output");
    QVERIFY(showsWhole(editBox(&main, "PhosRetEditBox")));
    for (trophex::OutputResult result : trophex::AllOutputResults) {
        QComboBox* units = selector(&main, trophex::outputSelectorName(result));
        QLineEdit* box = editBox(&main, trophex::resultSpec(trophex::resultOf(result)).control);
        for (const char* unit : trophex::outputUnits(result)) {
            chooseFromList(units, QString::fromLatin1(unit));
            QVERIFY2(showsWhole(box), qPrintable(box->text() + " " + unit));
        }
    }
    chooseFromList(selector(&main, "OutVolUnits"), "L/day");
    QCOMPARE(main.controlText("OutVolEditBox"), QStringLiteral("66,575,779,200.01"));
}

// A result too wide for its box, as absurd inputs give, shows its start: its leading digits
// are never hidden behind its last ones.
void MainFormTest::tooLongResultShowsItsStart()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    editBox(&main, "WareaEditBox")->setText("1e12");
    main.CalcButtonClick();
    QVERIFY(program.dialogs.errors.isEmpty());
    chooseFromList(selector(&main, "OutVolUnits"), "L/day");
    QLineEdit* outflow = editBox(&main, "OutVolEditBox");
    QVERIFY(outflow->text().size() > 24);
    QVERIFY(!showsWhole(outflow));
    QCOMPARE(outflow->cursorPosition(), 0);
    // Its text starts where a short text in a box of the same kind starts.
    QCOMPARE(paintedCursorX(outflow), paintedCursorX(editBox(&main, "PhosLoadEditBox")));
    main.CalcButtonClick();  // a calculation writes the box again
    QCOMPARE(editBox(&main, "PhosLoadEditBox")->cursorPosition(), 0);
    QCOMPARE(outflow->cursorPosition(), 0);
}

void MainFormTest::invalidInputFocusesTheFailingControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");
    QTest::newRow("decimal comma") << "DepthEditBox" << "1,5" << ",5";
    QTest::newRow("trailing unit") << "TPeditBox" << "30 ug/L" << " ug/L";
    QTest::newRow("empty") << "WareaEditBox" << "" << "";
    QTest::newRow("unknown unit") << "SechiUnitComboBox" << "metres" << "metres";
    QTest::newRow("empty unit") << "LareaComboBox" << "" << "";
    QTest::newRow("alkalinity unit") << "AlkalinityUnitComboBox" << "ppm" << "ppm";
}

void MainFormTest::invalidInputFocusesTheFailingControl()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    enterWorkedExample(main);
    QWidget* failing = main.findChild<QWidget*>(control);
    QVERIFY(failing);
    setTextOf(failing, text);
    main.findChild<QPushButton*>("CalcButton")->setFocus();

    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    QCOMPARE(main.focusWidget(), failing->focusProxy() ? failing->focusProxy() : failing);
    auto* selector = qobject_cast<QComboBox*>(failing);
    QLineEdit* box = selector ? selector->lineEdit() : qobject_cast<QLineEdit*>(failing);
    QCOMPARE(box->selectedText(), selected);
    QCOMPARE(box->cursorPosition(), int(text.size()));
    QVERIFY(!program.windows.CalibrateForm->isVisible());
}

void MainFormTest::invalidCalibrationInputOpensTheCalibrateDialogAtIt()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    TCalibrateForm& calibrate = *program.windows.CalibrateForm;
    enterWorkedExample(main);
    editBox(&calibrate, "V3EditBox")->setText("0.04x");

    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors, QStringList({"Invalid Input Parameter!"}));
    QVERIFY(calibrate.isVisible());
    QVERIFY(!main.isEnabled());
    QCOMPARE(calibrate.focusWidget(), editBox(&calibrate, "V3EditBox"));
    QCOMPARE(editBox(&calibrate, "V3EditBox")->selectedText(), QStringLiteral("x"));

    // A fault opens nothing: its message names its cause.
    calibrate.OKBtnClick();
    editBox(&calibrate, "V3EditBox")->setText("0.04");
    editBox(&calibrate, "S1EditBox")->setText("0");
    main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors.last(), QStringLiteral("Floating point division by zero\nS1 must be greater than zero."));
    QVERIFY(!calibrate.isVisible());
}

void MainFormTest::statusLineSaysWhenInputsDifferFromTheResults()
{
    Program program;
    program.endStartupScreen();
    TMainForm& main = program.main;
    TCalibrateForm& calibrate = *program.windows.CalibrateForm;
    const QString changed = QString::fromLatin1(InputsChangedMessage);
    QCOMPARE(changed, QStringLiteral("Inputs changed since the last calculation: press Calculate"));
    QCOMPARE(main.findChild<QStatusBar*>()->isVisible(), true);

    enterWorkedExample(main);
    QCOMPARE(main.statusText(), QString());  // no results on show yet
    main.CalcButtonClick();
    QCOMPARE(main.statusText(), QString());

    QLineEdit* name = editBox(&main, "NameEditBox");
    name->setText("Other Lake");
    QCOMPARE(main.statusText(), changed);
    name->clear();  // the texts of the results on show again
    QCOMPARE(main.statusText(), QString());

    typeInto(selector(&main, "WareaComboBox"), "KM2");  // the same lake, but not the same text
    QCOMPARE(main.statusText(), changed);
    typeInto(selector(&main, "WareaComboBox"), "km2");
    QCOMPARE(main.statusText(), QString());

    chooseFromList(selector(&main, "OutVolUnits"), "L/day");  // an output unit is no input
    QCOMPARE(main.statusText(), QString());

    editBox(&calibrate, "V5EditBox")->setText("0.05");
    QCOMPARE(main.statusText(), changed);
    editBox(&main, "DepthEditBox")->setText("deep");
    main.CalcButtonClick();  // fails: the results on show are still the old ones
    QCOMPARE(main.statusText(), changed);
    editBox(&main, "DepthEditBox")->setText("5");
    main.CalcButtonClick();
    QCOMPARE(main.statusText(), QString());

    chooseFromList(selector(&main, "EcoRegComboBox"), "WCP");  // also resets the calibration set
    QCOMPARE(main.statusText(), changed);
    main.ClearBtnClick();
    QCOMPARE(main.statusText(), QString());
    editBox(&main, "NameEditBox")->setText("After Clear");
    QCOMPARE(main.statusText(), QString());  // no results on show
}

QTEST_MAIN(MainFormTest)
#include "test_gui_mainform.moc"
