// The trophic state chart: bar colours, ticks, ecoregion range lines, markers, the
// off-screen copy and the redraws on turning to the "TSI" page.

#include "tests/gui_test_support.h"

#include "ui/mainform.h"
#include "ui/tsichart.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

using namespace trophex::ui;
using namespace trophex::ui::testing;

namespace {

const QColor Red(255, 0, 0);
const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);

// The lake of the marker example: indices 37 (phosphorus), 53 (chlorophyll a), 60 (Secchi
// depth) and 50 on average.
void enterIndexExample(TMainForm& main)
{
    enterWorkedExample(main);
    editBox(&main, "TPeditBox")->setText("10");
    editBox(&main, "SechiEditBox")->setText("1");
}

// The marker example calculated while the "TSI" page is shown.
void calculateIndexExampleOnTsiPage(Program& program)
{
    program.endStartupScreen();
    enterIndexExample(program.main);
    showPage(program.main, "TSI");
    program.main.CalcButtonClick();
}

QImage shownChart(TMainForm& main)
{
    return main.PaintBox1().grab().toImage();
}

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// Checks that the red line of each row covers x = 5 * low up to, not including, 5 * high.
void verifyRangeLines(const QImage& chart, const std::array<std::pair<int, int>, 4>& ranges)
{
    for (int row = 0; row < 4; ++row) {
        const int y = 25 + 32 * row;
        const auto [low, high] = ranges[row];
        QCOMPARE(pixel(chart, 5 * low, y), Red);
        QCOMPARE(pixel(chart, 5 * high - 1, y), Red);
        QVERIFY(pixel(chart, 5 * low - 1, y) != Red);
        QVERIFY(pixel(chart, 5 * high, y) != Red);
        QVERIFY(pixel(chart, 5 * low, y - 1) != Red);
    }
}

bool showsBars(const QImage& chart)
{
    return pixel(chart, 10, 20) == barCellColour(0);
}

}  // namespace

class ChartTest : public QObject {
    Q_OBJECT

private slots:
    void barsBaselinesAndTicks();
    void rangeLinesOfTheEcoregion();
    void rangeLinesOfAnUnknownEcoregion();
    void markersAtTheIndexValues();
    void calculationOnAnotherPageDrawsWhenThePageIsShown();
    void turningToThePageRedrawsWithTheCurrentEcoregion();
    void repaintCopiesTheSavedChartBack();
    void clearOnThePageErasesToSilver();
    void clearOnAnotherPageLeavesThePageEmpty();
};

void ChartTest::barsBaselinesAndTicks()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    const QImage chart = shownChart(program.main);
    QCOMPARE(chart.size(), QSize(505, 137));

    for (int row = 0; row < 4; ++row) {
        const int top = 15 + 32 * row;
        QCOMPARE(pixel(chart, 1, top), QColor(0, 128, 125));
        QCOMPARE(pixel(chart, 498, top + 14), QColor(0, 128, 5));
        for (int cell = 0; cell < 25; ++cell)
            QCOMPARE(pixel(chart, 20 * cell + 10, top + 12), QColor(0, 128, 5 * (25 - cell)));
        QVERIFY(pixel(chart, 10, top - 1) != barCellColour(0));
        const int baseline = 30 + 32 * row;
        QCOMPARE(pixel(chart, 0, baseline), Black);
        QCOMPARE(pixel(chart, 499, baseline), Black);
        QVERIFY(pixel(chart, 501, baseline) != Black);
        for (int x = 0; x <= 500; x += 50) {
            QCOMPARE(pixel(chart, x, baseline - 2), Black);
            QCOMPARE(pixel(chart, x, baseline + 4), Black);
            QVERIFY(pixel(chart, x, baseline + 5) != Black);
            QVERIFY(pixel(chart, x, baseline - 3) != Black);
        }
        QVERIFY(pixel(chart, 25, baseline + 2) != Black);
    }
}

void ChartTest::rangeLinesOfTheEcoregion()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    verifyRangeLines(shownChart(program.main), {{{45, 51}, {42, 52}, {20, 53}, {38, 47}}});
}

void ChartTest::rangeLinesOfAnUnknownEcoregion()
{
    Program program;
    program.endStartupScreen();
    enterIndexExample(program.main);
    typeInto(selector(&program.main, "EcoRegComboBox"), "Tundra");
    showPage(program.main, "TSI");
    program.main.CalcButtonClick();
    verifyRangeLines(shownChart(program.main), {{{66, 77}, {74, 84}, {64, 70}, {60, 77}}});
}

void ChartTest::markersAtTheIndexValues()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    QCOMPARE(program.main.controlText("AvgTSIeditBox"), QStringLiteral("50"));
    QCOMPARE(program.main.controlText("PhosTSIeditBox"), QStringLiteral("37"));
    QCOMPARE(program.main.controlText("ChlrATSIeditBox"), QStringLiteral("53"));
    QCOMPARE(program.main.controlText("SecchiTSIeditBox"), QStringLiteral("60"));

    const QImage chart = shownChart(program.main);
    const int xs[] = {250, 185, 265, 300};
    for (int row = 0; row < 4; ++row) {
        const int x = xs[row];
        const int y = 20 + 32 * row;
        QCOMPARE(pixel(chart, x, y), White);
        QCOMPARE(pixel(chart, x, y - 1), White);
        QCOMPARE(pixel(chart, x - 2, y - 1), White);
        QCOMPARE(pixel(chart, x + 1, y), White);
        QVERIFY(pixel(chart, x - 4, y) != White);
        QVERIFY(pixel(chart, x + 4, y) != White);
        QVERIFY(pixel(chart, x, y + 4) != White);
        QVERIFY(pixel(chart, x, y - 5) != White);
    }
}

void ChartTest::calculationOnAnotherPageDrawsWhenThePageIsShown()
{
    Program program;
    program.endStartupScreen();
    enterIndexExample(program.main);
    program.main.CalcButtonClick();
    QVERIFY(!program.main.PaintBox1().hasBitmap());
    QCOMPARE(program.main.controlText("PhosTSIeditBox"), QStringLiteral("37"));

    showPage(program.main, "TSI");
    QVERIFY(program.main.PaintBox1().hasBitmap());
    QCOMPARE(program.main.PaintBox1().TSIrect(), QRect(0, 0, 505, 137));
    QCOMPARE(pixel(shownChart(program.main), 185, 52), White);
}

void ChartTest::turningToThePageRedrawsWithTheCurrentEcoregion()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    showPage(program.main, "Output");
    chooseFromList(selector(&program.main, "EcoRegComboBox"), "WCP");
    editBox(&program.main, "PhosTSIeditBox")->setText("99");
    showPage(program.main, "TSI");
    verifyRangeLines(shownChart(program.main), {{{63, 73}, {64, 76}, {64, 74}, {60, 70}}});
    // The index boxes are rewritten from the model.
    QCOMPARE(program.main.controlText("PhosTSIeditBox"), QStringLiteral("37"));
}

void ChartTest::repaintCopiesTheSavedChartBack()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    const QImage drawn = shownChart(program.main);
    {
        QPainter overwrite(&program.main.PaintBox1().surface());
        overwrite.fillRect(0, 0, 505, 137, Qt::magenta);
    }
    QCOMPARE(shownChart(program.main), drawn);
}

void ChartTest::clearOnThePageErasesToSilver()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    program.main.ClearBtnClick();
    const QImage chart = shownChart(program.main);
    for (const QPoint at : {QPoint(0, 0), QPoint(10, 20), QPoint(250, 20), QPoint(504, 136)})
        QCOMPARE(pixel(chart, at.x(), at.y()), QColor(192, 192, 192));
    showPage(program.main, "Output");
    showPage(program.main, "TSI");
    QVERIFY(!showsBars(shownChart(program.main)));
}

void ChartTest::clearOnAnotherPageLeavesThePageEmpty()
{
    Program program;
    calculateIndexExampleOnTsiPage(program);
    showPage(program.main, "Output");
    program.main.ClearBtnClick();
    showPage(program.main, "TSI");
    QVERIFY(!showsBars(shownChart(program.main)));
    QCOMPARE(program.main.controlText("AvgTSIeditBox"), QString());
}

QTEST_MAIN(ChartTest)
#include "test_gui_chart.moc"
