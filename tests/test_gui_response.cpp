// The "Load Response" page in the window: it follows each completed calculation, answers
// a change of target or mode at once, is emptied by Clear, stays as it was after a failed
// calculation, and prints its own one-page report.

#include "tests/gui_test_support.h"

#include "response/responseresults.h"
#include "print/responsechart.h"
#include "ui/chartwindow.h"
#include "ui/helpviewer.h"
#include "ui/loadresponsepage.h"
#include "ui/mainform.h"
#include "ui/responsechartview.h"
#include "ui/tsichart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>

using namespace trophex;
using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

TLoadResponsePage& pageOf(TMainForm& main)
{
    return main.LoadResponsePage();
}

void chooseTarget(TMainForm& main, const char* kind)
{
    QComboBox* kinds = selector(&pageOf(main), "TargetComboBox");
    kinds->setCurrentIndex(kinds->findText(QString::fromLatin1(kind)));
}

// Everything the page shows.
struct PageShot {
    QString answer;
    QStringList table;
    int chartItems;
    QString value;

    bool operator==(const PageShot& o) const
    {
        return answer == o.answer && table == o.table && chartItems == o.chartItems && value == o.value;
    }
};

PageShot pageShot(TMainForm& main)
{
    TLoadResponsePage& page = pageOf(main);
    PageShot shot{page.answerText(), {}, static_cast<int>(page.chart().items().size()),
                  selector(&page, "TargetValueComboBox")->currentText()};
    for (int row = 0; row < page.table().rowCount(); ++row)
        for (int column = 0; column < page.table().columnCount(); ++column)
            shot.table << page.table().item(row, column)->text();
    return shot;
}

void calculateWorkedExample(Program& program)
{
    program.endStartupScreen();
    enterWorkedExample(program.main);
    showPage(program.main, LoadResponsePageCaption);
    program.main.CalcButtonClick();
}

}  // namespace

class ResponsePageTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheCalculation();
    void targetChangeAnswersAtOnce();
    void unreadableTargetsSaySoAndShowNothing();
    void modeChangeAnswersAtOnce();
    void tableShowsEveryHeadingAndCellWhole();
    void clearEmptiesThePage();
    void failedCalculationLeavesThePageAsItWas();
    void printsItsOwnReport();
    void helpOpensThePagesTopic();
    void doubleClickOpensEachChartInAWindowOfItsOwn();
};

void ResponsePageTest::followsTheCalculation()
{
    Program program;
    TLoadResponsePage& page = pageOf(program.main);
    QVERIFY(!page.response());
    QVERIFY(page.chart().items().empty());
    calculateWorkedExample(program);

    QVERIFY(page.response());
    QCOMPARE(selector(&page, "TargetValueComboBox")->currentText(), QStringLiteral("27.6"));
    QVERIFY(selector(&page, "TargetValueComboBox")->lineEdit()->isReadOnly());
    const QStringList sentences = page.answerText().split('\n');
    QCOMPARE(sentences.size(), 3);
    QCOMPARE(sentences[0], QStringLiteral("The phosphorus load now is 135 kg/yr: 120 kg/yr from the watershed and "
                                          "15.0 kg/yr from the atmosphere."));
    QVERIFY2(sentences[1].startsWith("The watershed load must fall by 12.1 % to meet the target"),
             qPrintable(sentences[1]));
    QVERIFY(sentences[2].startsWith("A stream phosphorus of 83.2 ug/L (now 52.0 ug/L)"));

    QCOMPARE(page.table().rowCount(), 11);
    // Chart and table fit the page, the table with every row in sight.
    showPage(program.main, LoadResponsePageCaption);
    QVERIFY(page.chart().geometry().bottom() < page.height());
    QTest::mouseClick(page.findChild<QRadioButton*>("ShowTableButton"), Qt::LeftButton);
    QVERIFY(page.table().isVisible());
    QTableWidget& table = page.table();
    QVERIFY2(11 * table.rowHeight(0) <= table.viewport()->height(),
             qPrintable(QStringLiteral("%1 rows of %2 in %3").arg(11).arg(table.rowHeight(0)).arg(table.viewport()->height())));
    QCOMPARE(page.table().horizontalHeaderItem(2)->text(), QStringLiteral("TP\n(ug/L)"));
    QCOMPARE(page.table().item(0, 2)->text(), QStringLiteral("30.0"));  // the observed TP at no cut
    QCOMPARE(page.table().item(5, 0)->text(), QStringLiteral("50"));

    // The chart: a red target line at 27.6 ug/L and the answer marked at 12.1 %.
    const ChartSeries& series = *page.chart().series();
    QCOMPARE(series.title, std::string("TP (ug/L)"));
    QVERIFY(std::abs(*series.answerPercent - 12.117) < 1e-3);
    const std::vector<ReportItem> items = page.chart().items();
    int targetLines = 0;
    for (const ReportItem& item : items)
        if (const auto* line = std::get_if<ReportLine>(&item); line && line->colour == ChartTargetRed &&
                                                              line->y1 == line->y2 && line->x2 - line->x1 > 100)
            ++targetLines;
    QCOMPARE(targetLines, 1);
}

void ResponsePageTest::targetChangeAnswersAtOnce()
{
    Program program;
    calculateWorkedExample(program);
    TLoadResponsePage& page = pageOf(program.main);

    chooseTarget(program.main, "Total phosphorus");
    QComboBox* value = selector(&page, "TargetValueComboBox");
    QCOMPARE(value->currentText(), QStringLiteral("20"));
    QVERIFY(page.answerText().contains("must fall by 47.5 %"));
    typeInto(value, "25");
    QCOMPARE(page.response()->target.value, 25.0);
    const LoadResponse expected = evaluateGoal(program.main.modelState(), page.response()->target, ResponseMode::Anchored);
    QCOMPARE(page.answerText().split('\n')[1], QString::fromStdString(responseAnswer(expected, NumberFormat{})[1]));
    typeInto(value, "31");
    QVERIFY(page.answerText().contains("The target is met now"));
    typeInto(value, "1");
    QVERIFY(page.answerText().contains("the atmospheric load alone is too much"));

    chooseTarget(program.main, "Nuisance frequency");
    QVERIFY(selector(&page, "TargetBoundComboBox")->isVisible());
    QCOMPARE(page.response()->target.bound, 20.0);
    QCOMPARE(page.table().columnCount(), 7);
    QCOMPARE(page.chart().series()->scale, ChartScale::Percent);
    typeInto(selector(&page, "TargetBoundComboBox"), "15");
    QCOMPARE(page.response()->target.bound, 15.0);

    chooseTarget(program.main, "Total phosphorus");
    QCOMPARE(value->currentText(), QStringLiteral("1"));  // each kind keeps what was typed for it
    QVERIFY(!selector(&page, "TargetBoundComboBox")->isVisible());
    chooseTarget(program.main, "Secchi depth");
    QCOMPARE(page.chart().series()->title, std::string("Secchi depth (m)"));
}

void ResponsePageTest::unreadableTargetsSaySoAndShowNothing()
{
    Program program;
    calculateWorkedExample(program);
    TLoadResponsePage& page = pageOf(program.main);
    chooseTarget(program.main, "Total phosphorus");
    // The page says why, in the target reader's words, as the runner does.
    const std::pair<const char*, const char*> refused[] = {
        {"0", "The tp target must be above 0 ug/L."}, {"-5", "The tp target must be above 0 ug/L."},
        {"abc", "The target \"tp=abc\" needs a number after \"tp=\"."},
        {"2.", "The target \"tp=2.\" needs a number after \"tp=\"."},
        {"", "The target \"tp=\" needs a number after \"tp=\"."}};
    for (const auto& [text, message] : refused) {
        typeInto(selector(&page, "TargetValueComboBox"), QString::fromLatin1(text));
        QVERIFY2(!page.response(), text);
        QCOMPARE(page.answerText(), QString::fromLatin1(message));
        QVERIFY(page.chart().items().empty());
        QCOMPARE(page.table().rowCount(), 0);
    }
    chooseTarget(program.main, "Average TSI");
    typeInto(selector(&page, "TargetValueComboBox"), "-5");
    QVERIFY(!page.response());
    QVERIFY(page.answerText().contains("from 0 to 100"));
    chooseTarget(program.main, "Nuisance frequency");
    for (const char* text : {"101", "0"}) {
        typeInto(selector(&page, "TargetValueComboBox"), QString::fromLatin1(text));
        QVERIFY2(!page.response(), text);
        QVERIFY(page.answerText().contains("above 0 and at most 100"));
    }
    typeInto(selector(&page, "TargetValueComboBox"), "100");
    QVERIFY(page.answerText().contains("The target is met now"));
}

void ResponsePageTest::modeChangeAnswersAtOnce()
{
    Program program;
    calculateWorkedExample(program);
    TLoadResponsePage& page = pageOf(program.main);
    QCOMPARE(page.response()->mode, ResponseMode::Anchored);
    QCheckBox* anchor = page.findChild<QCheckBox*>("AnchorCheckBox");
    QTest::mouseClick(anchor, Qt::LeftButton);
    QCOMPARE(page.response()->mode, ResponseMode::Model);
    QVERIFY(page.answerText().contains("The target is met now"));  // predicted 22 ug/L is below 27.6
    QCOMPARE(page.table().item(0, 2)->text(), QStringLiteral("22.1"));
    QTest::mouseClick(anchor, Qt::LeftButton);
    QCOMPARE(page.response()->mode, ResponseMode::Anchored);
}

// The widest line of a heading or cell, in the font it is drawn in.
int widestLine(const QString& text, const QFont& font)
{
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, QFontMetrics(font).horizontalAdvance(line));
    return widest;
}

void ResponsePageTest::tableShowsEveryHeadingAndCellWhole()
{
    Program program;
    program.endStartupScreen();
    enterWorkedExample(program.main);
    editBox(&program.main, "WareaEditBox")->setText("1e5");  // 1,196,015 kg/yr
    showPage(program.main, LoadResponsePageCaption);
    program.main.CalcButtonClick();
    TLoadResponsePage& page = pageOf(program.main);
    chooseTarget(program.main, "Nuisance frequency");
    QTest::mouseClick(page.findChild<QRadioButton*>("ShowTableButton"), Qt::LeftButton);
    QTableWidget& table = page.table();
    QCOMPARE(table.item(0, 1)->text(), QStringLiteral("1,196,015"));
    for (int column = 0; column < table.columnCount(); ++column) {
        const QString heading = table.horizontalHeaderItem(column)->text();
        int needed = widestLine(heading, table.horizontalHeader()->font());
        for (int row = 0; row < table.rowCount(); ++row)
            needed = std::max(needed, widestLine(table.item(row, column)->text(), table.font()));
        QVERIFY2(table.columnWidth(column) > needed,
                 qPrintable(QStringLiteral("%1: %2 of %3").arg(heading).arg(table.columnWidth(column)).arg(needed)));
    }
}

void ResponsePageTest::clearEmptiesThePage()
{
    Program program;
    calculateWorkedExample(program);
    TLoadResponsePage& page = pageOf(program.main);
    chooseTarget(program.main, "Chlorophyll a");
    program.main.ClearBtnClick();
    QVERIFY(!page.response());
    QVERIFY(page.answerText().startsWith("Calculate, or open a data file"));
    QVERIFY(page.chart().items().empty());
    QCOMPARE(page.table().rowCount(), 0);
    QCOMPARE(selector(&page, "TargetComboBox")->currentText(), QStringLiteral("Chlorophyll a"));

    chooseTarget(program.main, "Ecoregion goal");
    typeInto(selector(&page, "TargetValueComboBox"), "5");
    QTest::mouseClick(page.findChild<QCheckBox*>("AnchorCheckBox"), Qt::LeftButton);
    QVERIFY(!page.response());
    QVERIFY(page.answerText().startsWith("Calculate, or open a data file"));

    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    QVERIFY(page.response());
}

void ResponsePageTest::failedCalculationLeavesThePageAsItWas()
{
    Program program;
    calculateWorkedExample(program);
    TMainForm& main = program.main;
    const PageShot before = pageShot(main);
    for (const auto& [box, text] : {std::pair{"WareaEditBox", "ten"}, std::pair{"LareaEditBox", "0"}}) {
        editBox(&main, "WareaEditBox")->setText("10");
        editBox(&main, box)->setText(QString::fromLatin1(text));
        main.CalcButtonClick();
        QVERIFY(pageShot(main) == before);
    }
    QCOMPARE(program.dialogs.errors.size(), 2);

    // The page says whose calculation it shows, and that the last one failed.
    TLoadResponsePage& page = pageOf(main);
    QVERIFY(page.calculationText().startsWith("The calculation of the lake without a name failed; still shown: The "
                                              "lake without a name, calculated at "));
    editBox(&main, "LareaEditBox")->setText("1");
    editBox(&main, "NameEditBox")->setText("Clear Lake");
    main.CalcButtonClick();
    QVERIFY(page.calculationText().startsWith("Clear Lake, calculated at "));
    main.ClearBtnClick();
    QCOMPARE(page.calculationText(), QString());
}

void ResponsePageTest::printsItsOwnReport()
{
    QTemporaryDir dir;
    Program program;
    program.endStartupScreen();
    TLoadResponsePage& page = pageOf(program.main);
    // Without an answer the page says so before any dialog opens.
    page.ResponsePrintBtnClick();
    QCOMPARE(program.dialogs.errors, QStringList({"There's nothing to print!"}));
    enterWorkedExample(program.main);
    program.main.CalcButtonClick();
    chooseTarget(program.main, "Average TSI");
    typeInto(selector(&page, "TargetValueComboBox"), "fifty");
    page.ResponsePrintBtnClick();
    QCOMPARE(program.dialogs.errors.last(), QStringLiteral("The target \"tsi=fifty\" needs a number after \"tsi=\"."));
    QCOMPARE(program.dialogs.printDialogs, 0);

    typeInto(selector(&page, "TargetValueComboBox"), "50");
    program.dialogs.printAnswers = {false};
    page.ResponsePrintBtnClick();
    QCOMPARE(program.dialogs.errors.size(), 2);  // cancelled: nothing said
    const QString pdf = dir.filePath("response.pdf");
    program.main.printer().setOutputFormat(QPrinter::PdfFormat);
    program.main.printer().setOutputFileName(pdf);
    program.dialogs.printAnswers.push_back(true);
    page.ResponsePrintBtnClick();
    QCOMPARE(program.dialogs.errors.size(), 2);
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QCOMPARE(program.dialogs.printDialogs, 2);
}

void ResponsePageTest::helpOpensThePagesTopic()
{
    Program program;
    program.endStartupScreen();
    pageOf(program.main).ResponseHelpBtnClick();
    HelpViewer& help = *program.windows.Help;
    QCOMPARE(help.browser()->source().fragment(), QStringLiteral("topic200"));
    QVERIFY(help.browser()->toPlainText().contains("The change-ratio idea"));
    QVERIFY(program.dialogs.errors.isEmpty());
}

void ResponsePageTest::doubleClickOpensEachChartInAWindowOfItsOwn()
{
    Program program;
    program.endStartupScreen();
    const auto shownWindows = [&] {
        QList<ChartWindow*> shown;
        for (ChartWindow* window : program.main.findChildren<ChartWindow*>())
            if (window->isVisible())
                shown << window;
        return shown;
    };
    ResponseChartView& chart = pageOf(program.main).chart();
    QTest::mouseDClick(&chart, Qt::LeftButton);
    QVERIFY(shownWindows().isEmpty());  // nothing to show yet

    calculateWorkedExample(program);
    QTest::mouseDClick(&chart, Qt::LeftButton);
    QCOMPARE(shownWindows().size(), 1);
    ChartWindow& window = *shownWindows().front();
    QVERIFY(window.isWindow());
    QVERIFY(window.windowTitle().startsWith("Load Response Chart - The lake without a name: TP at most 27.6 ug/L"));
    QVERIFY(window.width() > chart.width());
    window.resize(900, 700);
    QCOMPARE(window.size(), QSize(900, 700));  // resizable, while the main window keeps its size
    QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(program.main.minimumSize(), program.main.maximumSize());
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(shownWindows().isEmpty());

    showPage(program.main, "TSI");
    QTest::mouseDClick(&program.main.PaintBox1(), Qt::LeftButton);
    QCOMPARE(shownWindows().size(), 1);
    QVERIFY(shownWindows().front()->windowTitle().startsWith("Trophic State Chart - The lake without a name"));
}

QTEST_MAIN(ResponsePageTest)
#include "test_gui_response.moc"
