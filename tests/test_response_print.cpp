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

    const ChartSeries index = chartSeries(responseOf(exampleLake(), "tsi=0"), NumberFormat{});
    const ChartFrame fi = chartFrame(index, Box);
    EXPECT_LE(fi.yMin, 0);
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

TEST(ResponseChart, TheAnswersLabelLeavesTheCurveInSight)
{
    // Met now with the curve along the bottom, met now above it, and a cut.
    for (const char* wanted : {"freq=20:100", "freq=20:5", "tp=20"}) {
        const ChartSeries series = chartSeries(responseOf(exampleLake(), wanted), NumberFormat{});
        const std::vector<ReportItem> items = layoutResponseChart(series, Box, NumberFormat{});
        for (const ReportText& t : itemsOf<ReportText>(items)) {
            if (t.style.colour != ChartAnswerGreen)
                continue;
            const double right = rightEnd(t, 96);
            const double left = right - drawnWidth(t, 96);
            const double bottom = t.y + t.style.pointSize * 96 / 72.0 * 1.2;
            for (const ReportPolyline& curve : itemsOf<ReportPolyline>(items))
                for (const ReportPoint& p : curve.points)
                    EXPECT_FALSE(curve.colour == ChartCurveBlue && p.x >= left && p.x <= right && p.y >= t.y &&
                                 p.y <= bottom)
                        << wanted << ": " << p.x << ", " << p.y;
        }
    }
}

TEST(ResponseChart, CurvesThatLeaveTheFrameAreCutAtItsEdge)
{
    using Stretches = std::vector<std::vector<std::pair<int, int>>>;
    const auto stretchesOf = [](const std::vector<ExactPoint>& points) {
        Stretches stretches;
        for (const std::vector<ReportPoint>& stretch : clipPolyline(points, 0, 100)) {
            stretches.emplace_back();
            for (const ReportPoint& p : stretch)
                stretches.back().emplace_back(p.x, p.y);
        }
        return stretches;
    };
    const std::pair<std::vector<ExactPoint>, Stretches> cases[] = {
        {{{0, 10}, {10, 90}}, {{{0, 10}, {10, 90}}}},                           // inside
        {{{0, 50}, {10, -50}, {20, -80}}, {{{0, 50}, {5, 0}}}},                 // leaves at the top
        {{{0, -50}, {10, 50}}, {{{5, 0}, {10, 50}}}},                           // comes in from above
        {{{0, 50}, {10, 150}, {20, 50}}, {{{0, 50}, {5, 100}}, {{15, 100}, {20, 50}}}},  // dips below
        {{{0, -100}, {10, 200}}, {{{3, 0}, {7, 100}}}},                         // crosses in one step
        {{{0, -1}, {10, -5}}, {}},                                              // never inside
    };
    for (const auto& [points, expected] : cases)
        EXPECT_EQ(stretchesOf(points), expected) << points.front().y << " " << points.back().y;

    // A band is cut to the frame and keeps the part inside it.
    const std::vector<ReportPoint> band = clipPolygon({{0, -50}, {10, -50}, {10, 50}, {0, 50}}, 0, 100);
    ASSERT_EQ(band.size(), 4u);
    for (const ReportPoint& p : band)
        EXPECT_TRUE(p.y >= 0 && p.y <= 100) << p.y;
}

TEST(ResponseReport, TableHeadingsAndCellsFitTheirColumns)
{
    InputTexts hugeLake = exampleLake();
    hugeLake[Input::WareaEditBox] = "1e5";  // a load of 1,196,015 kg/yr
    for (const auto& [lake, wanted] : {std::pair{exampleLake(), "freq=30:10"}, std::pair{hugeLake, "freq=20:5"},
                                       std::pair{hugeLake, "freq=12.25:10"}}) {
        const ResponseReportTexts texts = responseReportTexts(responseOf(lake, wanted), "Lake", "NLF", NumberFormat{});
        // The 8 by 11 inches of a printable page at 600 dots an inch.
        const ReportLayout layout = layoutResponseReport(4800, 6600, texts);
        const ReportUnits u = layout.units;
        std::vector<ReportText> table;
        std::vector<int> rights = {u.Cw / 2};  // the table's left edge, then each column's right edge
        for (const ReportText& t : textsOf(layout))
            if (t.y >= 35 * u.Lh && t.y < 48 * u.Lh) {
                table.push_back(t);
                rights.push_back(t.x);
            }
        std::sort(rights.begin(), rights.end());
        rights.erase(std::unique(rights.begin(), rights.end()), rights.end());
        ASSERT_EQ(rights.size(), 8u) << wanted;
        EXPECT_LE(rights.back(), 7 * u.Cw) << wanted;
        for (const ReportText& t : table) {
            const auto right = std::find(rights.begin(), rights.end(), t.x);
            EXPECT_LT(drawnWidth(t, 600), *right - *(right - 1) - u.Cw / 20) << wanted << ": " << t.text;
        }
        EXPECT_EQ(table.size(), 7u + 6 + 11 * 7) << wanted;  // headings, units under six, 11 rows of 7 cells
        const std::string bound = std::string(wanted).substr(5, std::string(wanted).find(':') - 5);
        EXPECT_EQ(textItem(layout, "Chl a > " + bound).y, 35 * u.Lh);
    }
}

TEST(ResponseReport, OnePageWithTitleLakeTargetAnswerChartAndTable)
{
    const LoadResponse r = responseOf(exampleLake(), "ecoregion");
    const ResponseReportTexts texts = responseReportTexts(r, "Example Lake", "NLF", NumberFormat{});
    const ReportLayout layout = layoutResponseReport(4800, 6600, texts);
    const ReportUnits u = layout.units;
    const ReportText title = textItem(layout, "TROPHEX - Load Response");
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

TEST(ResponseReport, ALongLakeNameTakesTheWidthOfThePageAndTheEcoregionGoesBelow)
{
    const LoadResponse r = responseOf(exampleLake(), "ecoregion");
    const std::string longName = "Lake of the Northern Forests by the Border " + std::string(200, 'X');
    const std::string wordy = "Upper Mississippi Headwaters Memorial Reservoir (North Basin, Wabasha County, MN)";
    for (const std::string& name : {std::string("Example Lake"), longName, wordy + " " + wordy}) {
        const ResponseReportTexts texts = responseReportTexts(r, name, "NLF", NumberFormat{});
        const ReportLayout layout = layoutResponseReport(4800, 6600, texts);
        const ReportUnits u = layout.units;
        const std::vector<std::string> lines = lakeNameLines(name);
        const ReportText ecoregion = textItem(layout, "Ecoregion: NLF");
        if (lines.size() == 1 && name == "Example Lake") {
            EXPECT_EQ(ecoregion.y, 4 * u.Lh);
            continue;
        }
        EXPECT_EQ(lines.size(), 2u) << name;
        EXPECT_EQ(lines.back().substr(lines.back().size() - 3), "...") << name;
        EXPECT_EQ(ecoregion.x, u.Cw) << name;
        EXPECT_EQ(ecoregion.y, 6 * u.Lh) << name;
        for (const ReportText& t : itemsOf<ReportText>(layout.items))
            EXPECT_LE(t.x + drawnWidth(t, 600), 4800) << t.text;
    }
    // A line never ends inside a character of several bytes.
    const std::string umlauts = [] {
        std::string text;
        for (int i = 0; i < 80; ++i)
            text += "\xC3\xB6";
        return text;
    }();
    for (const std::string& line : lakeNameLines(umlauts))
        EXPECT_EQ(std::count(line.begin(), line.end(), '\xC3'), std::count(line.begin(), line.end(), '\xB6')) << line;
}

TEST(ResponseReport, ANameOfWideLettersStaysOnThePageAndClearOfTheEcoregion)
{
    const LoadResponse r = responseOf(exampleLake(), "ecoregion");
    const auto repeated = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    for (const std::string& name : {std::string(30, 'W'), std::string(300, 'W'), repeated("WWWWWWWWW ", 30),
                                    repeated("LAKE_WOBEGON_NORTH_BASIN_", 8), repeated("Mmm@% ", 40)}) {
        const ReportLayout layout = layoutResponseReport(4800, 6600, responseReportTexts(r, name, "NLF", NumberFormat{}));
        const ReportText ecoregion = textItem(layout, "Ecoregion: NLF");
        for (const std::string& line : lakeNameLines(name)) {
            const ReportText shown = textItem(layout, line);
            EXPECT_LE(rightEnd(shown, 600), 4800) << line;
            if (shown.y == ecoregion.y) {
                EXPECT_LE(rightEnd(shown, 600), ecoregion.x) << line;
            }
        }
    }
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
    for (const char* expected : {"TROPHEX - Load Response", "Lake Name: Example Lake", "Target: TP at most 20 ug/L",
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
