// Results out of the window: result grids, the load response table and all results copied
// as a spreadsheet takes them, the results exported as the batch writes them, and the
// trophic state and load response charts saved as PNG and SVG.

#include "gui_test_support.h"

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/csv.h"
#include "model/results.h"
#include "ui/chartexport.h"
#include "ui/loadresponsepage.h"
#include "ui/responsechartfigure.h"
#include "ui/responsechartview.h"
#include "ui/mainform.h"
#include "ui/stringgrid.h"
#include "ui/tsichart.h"
#include "ui/tsichartfigure.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QTest>

#include <cstring>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

// The worked example calculated with the "TSI" page shown.
void calculateOnTsiPage(Program& program)
{
    program.endStartupScreen();
    enterWorkedExample(program.main);
    showPage(program.main, "TSI");
    program.main.CalcButtonClick();
    QCOMPARE(program.main.ResultsReady(), 1);
}

QAction* contextAction(TMainForm& main, const QString& text)
{
    for (QAction* action : main.PaintBox1().parentWidget()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

void saveChartFromMenu(Program& program, const QString& fileName)
{
    program.dialogs.exportNames.push_back(fileName);
    program.main.findChild<QAction*>(QStringLiteral("SaveChart1"))->trigger();
}

// Where the chart itself lies in a saved picture of the TSI page.
QPoint chartOrigin(TMainForm& main)
{
    QRect area;
    for (const QWidget* child : main.PaintBox1().parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        area |= child->geometry();
    return main.PaintBox1().pos() - area.topLeft() + QPoint(4, 4);
}

QImage rendered(const QString& svgFile, QSize size)
{
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        qFatal("not an SVG picture: %s", qPrintable(svgFile));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

void trigger(TMainForm& main, const char* action)
{
    main.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

// Gives the grid the keyboard focus, as clicking into the window and the grid would.
void focus(TMainForm& main, StringGrid& grid)
{
    QApplication::setActiveWindow(&main);
    grid.setFocus();
    QVERIFY(QApplication::focusWidget() == &grid);
}

void clickCell(StringGrid& grid, int column, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = grid.visualItemRect(grid.item(row, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cell.center());
}

// The same lake as a batch table: every input text of the window under its column name.
std::string batchTableOf(const trophex::InputTexts& inputs)
{
    std::string header;
    std::string row;
    for (int i = 0; i < trophex::InputCount; ++i) {
        const auto input = static_cast<trophex::Input>(i);
        header += std::string(i ? "," : "") + trophex::batch::inputColumnName(input);
        if (i)
            row += ',';
        trophex::batch::appendCsvField(row, inputs[input]);
    }
    return header + "\n" + row + "\n";
}

std::string batchOutput(const std::string& table)
{
    std::size_t at = 0;
    std::string output;
    const auto read = [&](char* buffer, std::size_t capacity) {
        const std::size_t count = std::min(capacity, table.size() - at);
        std::memcpy(buffer, table.data() + at, count);
        at += count;
        return count;
    };
    const trophex::batch::BatchSummary summary =
        trophex::batch::runBatch(read, [&](std::string_view bytes) { output += bytes; }, {});
    if (!summary.ok())
        qFatal("batch failed: %s", summary.error.c_str());
    return output;
}

void exportResults(Program& program, const QString& fileName)
{
    program.dialogs.exportNames.push_back(fileName);
    trigger(program.main, "ExportResults1");
}

}  // namespace

class ExportTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void gridCopyWithoutSelectionTakesEveryCellWithTheTitles();
    void gridCopyTakesTheSelectedCellsUnderTheirTitles();
    void copyResultsTakesEveryResultAsShown();

    void exportedLakeIsTheBatchRowOfTheSameLake();
    void exportKeepsTheLastCompletedCalculation();
    void exportFileNamesAndFailures();

    void chartAsPngIsTheChartAsShown();
    void chartAsSvgIsDrawnInLinesFillsAndTexts();
    void chartIsSavedFromTheContextMenuAndOnlyWithResults();
    void chartFileNamesAndFailures();
    void responseChartIsSavedAsShownFromItsMenuItemAndContextMenu();
    void responseTableCopyTakesItsCellsUnderOneLineTitles();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
};

void ExportTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
}

void ExportTest::gridCopyWithoutSelectionTakesEveryCellWithTheTitles()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    showPage(program.main, "Chlr A");
    StringGrid& grid = program.main.ChlrStringGrid();
    focus(program.main, grid);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QStringList lines = clipboardText().split('\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.first(), QStringLiteral("ppb\tObserved\tCase A\tCase B\tCase C"));
    for (int row = 1; row < 5; ++row) {
        QStringList cells;
        for (int column = 0; column < 5; ++column)
            cells << grid.cell(column, row);
        QCOMPARE(lines[row], cells.join('\t'));
    }
    QVERIFY(lines[1].startsWith(QStringLiteral("10\t40%\t")));
    QVERIFY(QGuiApplication::clipboard()->mimeData()->html().contains(QStringLiteral("<td>40%</td>")));

    // Ctrl+A takes in the titles too; they are still copied once, as without a selection.
    const QString everything = clipboardText();
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!grid.selectedRanges().isEmpty());
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), everything);
}

void ExportTest::gridCopyTakesTheSelectedCellsUnderTheirTitles()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    showPage(program.main, "Predictions");
    StringGrid& grid = program.main.CompStringGrid();
    focus(program.main, grid);
    clickCell(grid, 2, 1);
    clickCell(grid, 3, 2, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("Variable\tPredicted\tStd Error\n"
                                             "TP (ug/L)\t22\t7\n"
                                             "Chlr a (ug/L)\t6.1\t3.5\n"));

    // A title cannot be selected: clicking one clears the selection, and copying takes all.
    clickCell(grid, 0, 3);
    QVERIFY(grid.selectedRanges().isEmpty());
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText().count('\n'), 4);
    clickCell(grid, 5, 3);
    QAction* copy = grid.findChild<QAction*>(QStringLiteral("CompStringGridCopy"));
    QCOMPARE(grid.contextMenuPolicy(), Qt::ActionsContextMenu);
    copy->trigger();
    QCOMPARE(clipboardText(), QStringLiteral("Variable\tT-test\nSecchi (m)\t-0.71\n"));
}

void ExportTest::copyResultsTakesEveryResultAsShown()
{
    Program program;
    program.endStartupScreen();
    trigger(program.main, "CopyResults1");
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to copy!"}));

    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    chooseFromList(selector(&program.main, "OutVolUnits"), QStringLiteral("gal/day"));
    trigger(program.main, "CopyResults1");
    QStringList lines = clipboardText().split('\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 1 + trophex::ResultCount);
    QCOMPARE(lines.first(), QStringLiteral("Result\tValue\tUnit"));
    const QString outflow = program.main.controlText(QStringLiteral("OutVolEditBox"));
    QCOMPARE(lines[1], QStringLiteral("Lake Outflow\t%1\tgal/day").arg(outflow));
    QVERIFY(lines.contains(QStringLiteral("Average TP Inflow\t55\tug/L")));
    QVERIFY(lines.contains(QStringLiteral("TP Predicted\t22\tug/L")));
    QVERIFY(lines.contains(QStringLiteral("Chlr a > 10 ppb, Observed\t40%\t%")));
    QVERIFY(lines.contains(QStringLiteral("Average TSI\t52\t")));
    for (int i = 0; i < trophex::ResultCount; ++i)
        QCOMPARE(lines[i + 1].split('\t').at(1), program.main.shownResult(trophex::resultTable()[i]));
    QCOMPARE(program.dialogs.errors.size(), 1);
}

void ExportTest::exportedLakeIsTheBatchRowOfTheSameLake()
{
    // A locale with a decimal comma: the window shows "23.000,13", the batch and the export
    // "23,000.13".
    Program program({sourceHelpDir()}, {}, trophex::NumberFormat{",", "."});
    program.endStartupScreen();
    enterWorkedExample(program.main);
    editBox(&program.main, "NameEditBox")->setText(QStringLiteral("Lac L\u00e9man, \"north\" bay"));
    editBox(&program.main, "WareaEditBox")->setText(QStringLiteral("100000"));
    program.main.CalcButtonClick();
    QCOMPARE(program.main.ResultsReady(), 1);
    QCOMPARE(program.main.controlText(QStringLiteral("OutVolEditBox")), QStringLiteral("23.000,13"));
    chooseFromList(selector(&program.main, "ResTimeUnits"), QStringLiteral("days"));

    exportResults(program, path("lake.csv"));
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(program.dialogs.exportFilters, QList<QStringList>({{"CSV table (*.csv)"}}));
    QCOMPARE(program.dialogs.exportCaptions, QStringList({"Export Results"}));
    const QByteArray exported = readBytes(path("lake.csv"));
    const std::string batch = batchOutput(batchTableOf(program.main.gatherInputs()));
    QCOMPARE(exported, QByteArray::fromStdString(batch));
    QVERIFY(exported.contains("\"Lac L\xc3\xa9man, \"\"north\"\" bay\","));
    QVERIFY(exported.contains(",\"23,000.13\","));
    QVERIFY(exported.endsWith(",ok\n"));
}

void ExportTest::exportKeepsTheLastCompletedCalculation()
{
    Program program;
    program.endStartupScreen();
    trigger(program.main, "ExportResults1");
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to export!"}));

    enterWorkedExample(program.main);
    editBox(&program.main, "NameEditBox")->setText(QStringLiteral("First"));
    program.main.CalcButtonClick();
    const trophex::InputTexts first = program.main.gatherInputs();
    editBox(&program.main, "NameEditBox")->setText(QStringLiteral("Second"));
    editBox(&program.main, "DepthEditBox")->setText(QStringLiteral("deep"));
    program.main.CalcButtonClick();
    QCOMPARE(program.dialogs.errors.size(), 2);
    exportResults(program, path("kept.csv"));
    QCOMPARE(readBytes(path("kept.csv")), QByteArray::fromStdString(batchOutput(batchTableOf(first))));

    program.main.ClearBtnClick();
    trigger(program.main, "ExportResults1");
    QCOMPARE(program.dialogs.errors.last(), QStringLiteral("There's nothing to export!"));
    QCOMPARE(program.dialogs.exportStartNames, QStringList({QString()}));
}

void ExportTest::exportFileNamesAndFailures()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    writeBytes(path("old.csv"), "keep me");
    program.dialogs.replaceAnswers = {false};
    exportResults(program, path("old.csv"));
    QCOMPARE(readBytes(path("old.csv")), QByteArray("keep me"));
    exportResults(program, path("missing/new.csv"));
    QCOMPARE(program.dialogs.errors.size(), 1);
    QVERIFY2(program.dialogs.errors.first().startsWith(path("missing/new.csv") + "\n"),
             qPrintable(program.dialogs.errors.first()));
    trigger(program.main, "ExportResults1");  // cancelled
    QCOMPARE(program.dialogs.exportStartNames, QStringList({QString(), path("old.csv"), path("missing/new.csv")}));
    QCOMPARE(program.dialogs.errors.size(), 1);
}

void ExportTest::chartAsPngIsTheChartAsShown()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.png"));
    QVERIFY(program.dialogs.errors.isEmpty());
    QCOMPARE(program.dialogs.exportFilters,
             QList<QStringList>({{"PNG image (*.png)", "SVG image (*.svg)"}}));
    QCOMPARE(program.dialogs.exportCaptions, QStringList({"Save Chart"}));

    // At print resolution: the page's chart, its captions and index boxes, a whole number of
    // times as large, under the caption that names the lake.
    const QImage saved(path("chart.png"));
    const TsiChartFigure figure(program.main);
    const int scale = printScale(figure);
    QVERIFY(scale >= 2);
    QCOMPARE(saved.size(), pictureSize(figure, scale).toSize());
    QVERIFY(saved.width() >= PrintWidth);
    QVERIFY(figure.figureCaption().startsWith("The lake without a name, NLF ecoregion"));
    const int captionHeight = saved.height() - figure.figureSize().height() * scale;
    QVERIFY(captionHeight > 0);
    QImage caption = saved.copy(0, 0, saved.width(), captionHeight);
    QVERIFY(caption.pixelColor(caption.width() - 1, 0) == Qt::white);
    bool captionWritten = false;
    for (int x = 0; x < caption.width() / 4 && !captionWritten; ++x)
        captionWritten = caption.pixelColor(x, captionHeight / 2).lightness() < 100;
    QVERIFY(captionWritten);
    const QPoint chartAt = (chartOrigin(program.main) + QPoint(10, 20)) * scale + QPoint(0, captionHeight);
    QCOMPARE(saved.pixelColor(chartAt), barCellColour(0));
    QCOMPARE(saved.pixelColor(0, captionHeight + 1), QColor(Qt::white));
}

void ExportTest::chartAsSvgIsDrawnInLinesFillsAndTexts()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.svg"));
    QVERIFY(program.dialogs.errors.isEmpty());
    const QByteArray svg = readBytes(path("chart.svg"));
    QVERIFY(svg.startsWith("<?xml"));
    QVERIFY(!svg.contains("<image"));
    QVERIFY(svg.contains("Carlson's Trophic State Index"));
    QVERIFY(svg.contains(">Ecoregion Range<"));
    QVERIFY(svg.contains(">Average TSI<"));

    QVERIFY(svg.contains("NLF ecoregion"));

    saveChartFromMenu(program, path("chart.png"));
    const QImage png(path("chart.png"));
    const QImage fromSvg = rendered(path("chart.svg"), png.size());
    const TsiChartFigure figure(program.main);
    const int scale = printScale(figure);
    const QPoint origin = chartOrigin(program.main) * scale + QPoint(0, png.height() - figure.figureSize().height() * scale);
    // Bar cells, a range line and a marker come out where the PNG has them.
    for (const QPoint at : {QPoint(10, 20), QPoint(490, 20), QPoint(250, 25), QPoint(5, 29 + 96)}) {
        const QColor expected = png.pixelColor(origin + at * scale + QPoint(scale / 2, scale / 2));
        const QColor actual = fromSvg.pixelColor(origin + at * scale + QPoint(scale / 2, scale / 2));
        QVERIFY2(qAbs(expected.red() - actual.red()) + qAbs(expected.green() - actual.green()) +
                         qAbs(expected.blue() - actual.blue()) <=
                     6,
                 qPrintable(QStringLiteral("at %1,%2: %3 against %4")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(actual.name(), expected.name())));
    }
}

void ExportTest::chartIsSavedFromTheContextMenuAndOnlyWithResults()
{
    Program program;
    program.endStartupScreen();
    QAction* save = contextAction(program.main, QStringLiteral("Save C&hart\u2026"));
    QVERIFY(save);
    QCOMPARE(program.main.PaintBox1().parentWidget()->contextMenuPolicy(), Qt::ActionsContextMenu);
    save->trigger();
    QCOMPARE(program.dialogs.errors, QStringList({"There's no chart to save!"}));
    QVERIFY(program.dialogs.exportFilters.isEmpty());

    enterWorkedExample(program.main);
    program.main.CalcButtonClick();  // on the Output page: the chart is drawn when asked for
    program.dialogs.exportNames.push_back(path("from-context.png"));
    save->trigger();
    QCOMPARE(program.dialogs.errors.size(), 1);
    const QImage saved(path("from-context.png"));
    const TsiChartFigure figure(program.main);
    const int scale = printScale(figure);
    const QPoint chartAt = (chartOrigin(program.main) + QPoint(10, 20)) * scale
                           + QPoint(0, saved.height() - figure.figureSize().height() * scale);
    QCOMPARE(saved.pixelColor(chartAt), barCellColour(0));

    program.main.ClearBtnClick();
    save->trigger();
    QCOMPARE(program.dialogs.errors.size(), 2);
    QCOMPARE(program.dialogs.errors.last(), QStringLiteral("There's no chart to save!"));
}

void ExportTest::chartFileNamesAndFailures()
{
    Program program;
    calculateOnTsiPage(program);
    saveChartFromMenu(program, path("chart.jpg"));
    QCOMPARE(program.dialogs.errors, QStringList({"Charts are saved as PNG (.png) or SVG (.svg) files!"}));
    QVERIFY(!QFile::exists(path("chart.jpg")));

    writeBytes(path("old.PNG"), "keep me");
    program.dialogs.replaceAnswers = {false, true};
    saveChartFromMenu(program, path("old.PNG"));
    QCOMPARE(readBytes(path("old.PNG")), QByteArray("keep me"));
    saveChartFromMenu(program, path("old.PNG"));
    QVERIFY(!QImage(path("old.PNG")).isNull());
    QCOMPARE(program.dialogs.replaceQuestions, QStringList({path("old.PNG"), path("old.PNG")}));

    saveChartFromMenu(program, path("no-such-folder/chart.svg"));
    QCOMPARE(program.dialogs.errors.size(), 2);
    QVERIFY2(program.dialogs.errors.last().startsWith(path("no-such-folder/chart.svg") + "\n"),
             qPrintable(program.dialogs.errors.last()));
    QVERIFY(!QFile::exists(path("no-such-folder")));

    program.main.findChild<QAction*>(QStringLiteral("SaveChart1"))->trigger();  // cancelled
    QCOMPARE(program.dialogs.exportStartNames.last(), path("no-such-folder/chart.svg"));
    QCOMPARE(program.dialogs.errors.size(), 2);
}

void ExportTest::responseChartIsSavedAsShownFromItsMenuItemAndContextMenu()
{
    Program program;
    program.endStartupScreen();
    TLoadResponsePage& page = program.main.LoadResponsePage();
    QAction* fromMenu = program.main.findChild<QAction*>(QStringLiteral("SaveResponseChart1"));
    QCOMPARE(fromMenu->text(), QStringLiteral("Save &Load Response Chart\u2026"));
    fromMenu->trigger();
    QCOMPARE(program.dialogs.errors, QStringList({"There's no chart to save!"}));

    enterWorkedExample(program.main);
    showPage(program.main, LoadResponsePageCaption);
    program.main.CalcButtonClick();
    program.dialogs.exportNames.push_back(path("response.png"));
    fromMenu->trigger();
    QCOMPARE(program.dialogs.errors.size(), 1);
    // The page's chart laid out anew at print resolution, under the lake and the target.
    const QImage saved(path("response.png"));
    const ResponseChartFigure figure(page.chart());
    QCOMPARE(figure.figureSize(), page.chart().size());
    QCOMPARE(saved.size(), pictureSize(figure, printScale(figure)).toSize());
    QVERIFY(saved.width() >= PrintWidth);
    QCOMPARE(figure.figureCaption(), QStringLiteral("The lake without a name: TP at most 27.6 ug/L, the top of the NLF "
                                                    "range (TSI 52); anchored to observed values"));
    QVERIFY(saved.pixel(saved.width() / 2, saved.height() / 2) != qRgb(255, 255, 255) ||
            saved.pixel(saved.width() / 3, saved.height() / 3) != qRgb(255, 255, 255));

    QCOMPARE(page.chart().contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(page.chart().actions().size(), 1);
    program.dialogs.exportNames.push_back(path("response.svg"));
    page.chart().actions().front()->trigger();
    const QByteArray svg = readBytes(path("response.svg"));
    QVERIFY(!svg.contains("<image"));
    QVERIFY(svg.contains("Load Response: TP (ug/L)"));
    QVERIFY(svg.contains(">Watershed load cut (%)<"));
    QVERIFY(svg.contains(">12.1 %<"));
    QVERIFY(svg.contains("TP at most 27.6 ug/L"));
    // In the page's units, the curve drawn at print detail between them.
    const QSizeF size = pictureSize(figure, 1);
    QVERIFY(svg.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(size.width()).arg(size.height()).toLatin1()));
    QVERIFY(svg.contains(QStringLiteral("transform=\"matrix(%1,0,0,%1,").arg(1.0 / printScale(figure)).toLatin1()));

    program.main.ClearBtnClick();
    fromMenu->trigger();
    QCOMPARE(program.dialogs.errors, QStringList({"There's no chart to save!", "There's no chart to save!"}));
}

void ExportTest::responseTableCopyTakesItsCellsUnderOneLineTitles()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    showPage(program.main, LoadResponsePageCaption);
    program.main.CalcButtonClick();
    TLoadResponsePage& page = program.main.LoadResponsePage();
    QTest::mouseClick(page.findChild<QRadioButton*>("ShowTableButton"), Qt::LeftButton);
    QTableWidget& table = page.table();
    QApplication::setActiveWindow(&program.main);
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    QStringList lines = clipboardText().split('\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines.first(), QStringLiteral("Cut (%)\tLoad (kg/yr)\tTP (ug/L)\tChl a (ug/L)\tSecchi (m)\tAvg TSI"));
    for (int row = 0; row < 11; ++row) {
        QStringList cells;
        for (int column = 0; column < table.columnCount(); ++column)
            cells << table.item(row, column)->text();
        QCOMPARE(lines[row + 1], cells.join('\t'));
    }
    QVERIFY(lines[1].startsWith(QStringLiteral("0\t135\t30.0\t")));

    table.setRangeSelected(QTableWidgetSelectionRange(10, 1, 10, 2), true);
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("Load (kg/yr)\tTP (ug/L)\n%1\t%2\n")
                                  .arg(table.item(10, 1)->text(), table.item(10, 2)->text()));
    QVERIFY(QGuiApplication::clipboard()->mimeData()->html().contains(QStringLiteral("<td>Load (kg/yr)</td>")));

    program.main.ClearBtnClick();
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to copy!"}));
}

QTEST_MAIN(ExportTest)
#include "test_gui_export.moc"
