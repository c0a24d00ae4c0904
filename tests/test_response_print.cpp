// The load response chart and report: where the target line, the answer, the curve and its
// band lie, what the page holds, and the report as a PDF from the runner.

#include "tests/print_test_support.h"

#include "cli/report_command.h"
#include "files/datafile.h"
#include "print/responsechart.h"
#include "print/responsereport.h"

#include <QFontMetricsF>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <sstream>

using namespace trophex;
using namespace trophex::testing;

namespace {

LoadResponse responseOf(const InputTexts& lake, const std::string& wanted,
                        ResponseMode mode = ResponseMode::Anchored)
{
    const CalculationOutcome out = runCalculation(lake, NumberFormat{});
    EXPECT_TRUE(out.ok());
    return evaluateLoadResponse(out.state, resolveTarget(*readTargetSpec(wanted).target, "NLF"), mode);
}

const ChartBox Box{40, 60, 640, 360, 16, 10};

template <typename Item>
std::vector<Item> itemsOf(const std::vector<ReportItem>& items)
{
    std::vector<Item> found;
    for (const ReportItem& item : items)
        if (const auto* it = std::get_if<Item>(&item))
            found.push_back(*it);
    return found;
}

std::vector<ReportLine> linesIn(const std::vector<ReportItem>& items, Rgb colour)
{
    std::vector<ReportLine> found;
    for (const ReportLine& line : itemsOf<ReportLine>(items))
        if (line.colour == colour)
            found.push_back(line);
    return found;
}

bool inBox(int x, int y)
{
    return x >= Box.left && x <= Box.left + Box.width && y >= Box.top && y <= Box.top + Box.height;
}

bool allInBox(const std::vector<ReportPoint>& points)
{
    return std::all_of(points.begin(), points.end(), [](ReportPoint q) { return inBox(q.x, q.y); });
}

// Every point drawn lies in the box.
void expectInsideTheBox(const std::vector<ReportItem>& items)
{
    for (const ReportText& t : itemsOf<ReportText>(items))
        EXPECT_TRUE(inBox(t.x, t.y)) << t.text;
    for (const ReportLine& l : itemsOf<ReportLine>(items))
        EXPECT_TRUE(inBox(l.x1, l.y1) && inBox(l.x2, l.y2));
    for (const ReportRect& r : itemsOf<ReportRect>(items))
        EXPECT_TRUE(inBox(r.left, r.top) && inBox(r.right, r.bottom));
    for (const ReportPolygon& p : itemsOf<ReportPolygon>(items))
        EXPECT_TRUE(allInBox(p.points));
    for (const ReportPolyline& c : itemsOf<ReportPolyline>(items))
        EXPECT_TRUE(allInBox(c.points));
}

// How wide a text is drawn on a device of this many dots an inch, as the report painter sizes its font.
double drawnWidth(const ReportText& t, int dotsPerInch)
{
    QFont font(QString::fromStdString(t.style.fontName));
    font.setPixelSize(static_cast<int>(std::lround(t.style.pointSize * dotsPerInch / 72.0)));
    return QFontMetricsF(font).horizontalAdvance(QString::fromStdString(t.text));
}

// The x where a text drawn at this resolution ends.
double rightEnd(const ReportText& t, int dotsPerInch)
{
    const double width = drawnWidth(t, dotsPerInch);
    switch (t.anchor) {
    case TextAnchor::TopRight:
    case TextAnchor::MiddleRight:
        return t.x;
    case TextAnchor::TopCentre:
        return t.x + width / 2;
    case TextAnchor::TopLeft:
        break;
    }
    return t.x + width;
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST(ResponseChart, TargetLineAnswerCurveAndBandWhereTheValuesAre)
{
    const LoadResponse r = responseOf(exampleLake(), "ecoregion");
    const ChartSeries series = chartSeries(r, NumberFormat{});
    const ChartFrame f = chartFrame(series, Box);
    EXPECT_EQ(f.yMin, 0);
    EXPECT_GE(f.yMax, r.curve[0].values->tp.high);
    const std::vector<ReportItem> items = layoutResponseChart(series, Box, NumberFormat{});
    expectInsideTheBox(items);

    const int targetY = f.yOf(series.target);
    std::vector<ReportLine> target = linesIn(items, ChartTargetRed);
    ASSERT_EQ(target.size(), 2u);  // the line across and its sample in the legend
    EXPECT_EQ(target[0].x1, f.left);
    EXPECT_EQ(target[0].x2, f.right);
    EXPECT_EQ(target[0].y1, targetY);

    const std::vector<ReportLine> answer = linesIn(items, ChartAnswerGreen);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0].x1, f.xOf(100 * r.goal.reduction));
    EXPECT_EQ(answer[0].y1, f.bottom);
    EXPECT_EQ(answer[0].y2, targetY);

    const std::vector<ReportPolyline> curves = itemsOf<ReportPolyline>(items);
    ASSERT_EQ(curves.size(), 1u);
    ASSERT_EQ(curves[0].points.size(), 101u);
    EXPECT_EQ(curves[0].points.front().x, f.left);
    EXPECT_EQ(curves[0].points.front().y, f.yOf(30));
    EXPECT_EQ(curves[0].points.back().x, f.right);
    // The curve falls and crosses the target line where the answer is.
    EXPECT_LT(curves[0].points[12].y - targetY, 0 + 2);
    EXPECT_GT(curves[0].points[13].y, targetY);
    const std::vector<ReportPolygon> bands = itemsOf<ReportPolygon>(items);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].points.size(), 202u);
    EXPECT_LT(bands[0].points.front().y, curves[0].points.front().y);  // the upper end above the value
}

TEST(ResponseChart, PointsWithoutValuesAreLeftOut)
{
    InputTexts lake = exampleLake();
    lake[Input::AtmosEditBox] = "0";
    const ChartSeries series = chartSeries(responseOf(lake, "tp=10"), NumberFormat{});
    const std::vector<ReportItem> items = layoutResponseChart(series, Box, NumberFormat{});
    EXPECT_EQ(itemsOf<ReportPolyline>(items).at(0).points.size(), 100u);
    EXPECT_EQ(itemsOf<ReportPolygon>(items).at(0).points.size(), 200u);
}

TEST(ResponseChart, ScalesKeepTheChartReadable)
{
    InputTexts lake = exampleLake();
    lake[Input::AtmosEditBox] = "0.001";  // Secchi depth grows without end as the cut nears 100 %
    const ChartSeries secchi = chartSeries(responseOf(lake, "secchi=3"), NumberFormat{});
    const ChartFrame f = chartFrame(secchi, Box);
    EXPECT_LE(f.yMax, 3 * 2 * secchi.values[0]->high);
    const std::vector<ReportPolyline> curve = itemsOf<ReportPolyline>(layoutResponseChart(secchi, Box, NumberFormat{}));
    ASSERT_EQ(curve.size(), 1u);
    for (const ReportPoint& p : curve[0].points)
        EXPECT_GE(p.y, f.top);

    const ChartSeries far = chartSeries(responseOf(exampleLake(), "tp=1e300"), NumberFormat{});
    const std::vector<ReportItem> items = layoutResponseChart(far, Box, NumberFormat{});
    EXPECT_LT(chartFrame(far, Box).yMax, 100);
    EXPECT_EQ(linesIn(items, ChartTargetRed).size(), 1u);  // the legend's sample only
    EXPECT_TRUE(linesIn(items, ChartAnswerGreen).empty());
    EXPECT_EQ(itemsOf<ReportText>(items).back().text, "target");

    const ChartSeries frequency = chartSeries(responseOf(exampleLake(), "freq=20:2"), NumberFormat{});
    EXPECT_EQ(chartFrame(frequency, Box).yMin, 0);
    EXPECT_GE(chartFrame(frequency, Box).yMax, frequency.values[0]->value);  // 4.6 % at no cut
    EXPECT_LE(chartFrame(frequency, Box).yMax, 10);
    EXPECT_LE(chartFrame(chartSeries(responseOf(exampleLake(), "freq=1:90"), NumberFormat{}), Box).yMax, 100);
    EXPECT_TRUE(itemsOf<ReportPolygon>(layoutResponseChart(frequency, Box, NumberFormat{})).empty());

    const ChartSeries index = chartSeries(responseOf(exampleLake(), "tsi=-5"), NumberFormat{});
    const ChartFrame fi = chartFrame(index, Box);
    EXPECT_LE(fi.yMin, -5);
    EXPECT_GE(fi.yMax, index.values[0]->value);
}

TEST(ResponseChart, AnswerNearTheWholeCutIsLabelledInsideTheChart)
{
    InputTexts lake = exampleLake();
    lake[Input::AtmosEditBox] = "0";  // only the whole cut takes the phosphorus to 0.001 ug/L
    for (const char* wanted : {"tp=0.001", "tp=29", "tp=10"}) {
        const ChartSeries series = chartSeries(responseOf(lake, wanted), NumberFormat{});
        ASSERT_TRUE(series.answerPercent) << wanted;
        const std::vector<ReportItem> items = layoutResponseChart(series, Box, NumberFormat{});
        for (const ReportText& t : itemsOf<ReportText>(items))
            if (t.style.colour == ChartAnswerGreen) {
                EXPECT_LE(rightEnd(t, 96), Box.left + Box.width) << wanted << ": " << t.text;
                EXPECT_GE(rightEnd(t, 96) - drawnWidth(t, 96), Box.left) << wanted << ": " << t.text;
            }
    }
}

TEST(ResponseReport, TableHeadingsAndCellsFitTheirColumns)
{
    InputTexts hugeLake = exampleLake();
    hugeLake[Input::WareaEditBox] = "1e5";  // a load of 1,196,015 kg/yr
    for (const auto& [lake, wanted] : {std::pair{exampleLake(), "freq=30:10"}, std::pair{hugeLake, "freq=20:5"}}) {
        const ResponseReportTexts texts = responseReportTexts(responseOf(lake, wanted), "Lake", "NLF", NumberFormat{});
        // The 8 by 11 inches of a printable page at 600 dots an inch.
        const ReportLayout layout = layoutResponseReport(4800, 6600, texts);
        const ReportUnits u = layout.units;
        const int columnWidth = 6 * u.Cw / static_cast<int>(texts.table.headings.size());
        int tableTexts = 0;
        for (const ReportText& t : textsOf(layout))
            if (t.y >= 35 * u.Lh && t.y < 48 * u.Lh) {
                ++tableTexts;
                EXPECT_LT(drawnWidth(t, 600), columnWidth - u.Cw / 20) << wanted << ": " << t.text;
            }
        EXPECT_EQ(tableTexts, 7 + 6 + 11 * 7) << wanted;  // headings, units under six, 11 rows of 7 cells
        EXPECT_EQ(textItem(layout, "Chl a > " + std::string(wanted).substr(5, 2)).y, 35 * u.Lh);
    }
}

TEST(ResponseReport, OnePageWithTitleLakeTargetAnswerChartAndTable)
{
    const LoadResponse r = responseOf(exampleLake(), "ecoregion");
    const ResponseReportTexts texts = responseReportTexts(r, "Example Lake", "NLF", NumberFormat{});
    const ReportLayout layout = layoutResponseReport(4800, 6600, texts);
    const ReportUnits u = layout.units;
    const ReportText title = textItem(layout, "TRPHEX - Load Response");
    EXPECT_EQ(title.x, u.Cw);
    EXPECT_EQ(title.y, 2 * u.Lh);
    EXPECT_EQ(textItem(layout, "Lake Name: Example Lake").y, 4 * u.Lh);
    EXPECT_EQ(textItem(layout, "Target: TP at most 27.6 ug/L, the top of the NLF range (TSI 52)").y, 5 * u.Lh);
    EXPECT_EQ(textItem(layout, "Values: anchored to observed values").y, 6 * u.Lh);
    const std::vector<std::string> lines = wrapSentences(texts.answer, 76);
    ASSERT_GE(lines.size(), 3u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 76u);
        EXPECT_EQ(textItem(layout, lines[i]).y, static_cast<int>(8 + i) * u.Lh);
    }
    const ReportText heading = textItem(layout, "Avg TSI");
    EXPECT_EQ(heading.anchor, TextAnchor::TopRight);
    EXPECT_EQ(heading.y, 35 * u.Lh);
    for (const ReportText& t : itemsOf<ReportText>(layout.items))
        EXPECT_TRUE(t.x >= 0 && t.x <= 4800 && t.y >= 0 && t.y < 6600) << t.text;
}

TEST(ResponseReport, WrappedSentencesKeepEveryWordInOrder)
{
    const std::vector<std::string> sentences = {"one two three four five six", "seven"};
    EXPECT_EQ(wrapSentences(sentences, 9), (std::vector<std::string>{"one two", "three", "four five", "six", "seven"}));
    EXPECT_EQ(wrapSentences({"unbreakablewordlongerthanwidth"}, 5),
              (std::vector<std::string>{"unbreakablewordlongerthanwidth"}));
}

TEST(ResponseCommand, ReportOfTheWorkedExampleAsPdf)
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils (pdftotext) not installed";
    QTemporaryDir dir;
    const std::string dataFile = dir.filePath("example.tpx").toStdString();
    const std::string pdf = dir.filePath("response.pdf").toStdString();
    InputTexts lake = exampleLake();
    ASSERT_FALSE(writeDataFile(dataFile, lake));
    std::ostringstream errors;
    ASSERT_EQ(cli::writeResponseReportPdf(dataFile, pdf, {"tp=20"}, NumberFormat{}, errors),
              0)
        << errors.str();
    const QString text = runTool(pdftotext, {"-layout", QString::fromStdString(pdf), "-"});
    for (const char* expected : {"TRPHEX - Load Response", "Lake Name: Example Lake", "Target: TP at most 20 ug/L",
                                 "must fall by 47.5 %", "Watershed load cut (%)", "Avg TSI", "52.1"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected << "\n" << text.toStdString();
    EXPECT_EQ(text.count('\f'), 1) << "one page";

    lake[Input::WareaEditBox] = "ten";
    ASSERT_FALSE(writeDataFile(dataFile, lake));
    const std::string failed = dir.filePath("failed.pdf").toStdString();
    std::ostringstream why;
    EXPECT_EQ(cli::writeResponseReportPdf(dataFile, failed, {}, NumberFormat{}, why), 1);
    EXPECT_EQ(why.str(), dataFile + ": Invalid Input Parameter!\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(failed)));
}
