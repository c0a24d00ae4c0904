#include "tests/print_test_support.h"

#include "model/outputunits.h"
#include "print/reportlayout.h"

#include <gtest/gtest.h>

using namespace trophex;
using namespace trophex::testing;

namespace {

ReportTexts withIndices(ReportTexts texts, const char* avg, const char* tp, const char* chl, const char* secchi)
{
    texts.results[Result::AvgTSI] = avg;
    texts.results[Result::PhosTSI] = tp;
    texts.results[Result::ChlrATSI] = chl;
    texts.results[Result::SecchiTSI] = secchi;
    return texts;
}

void expectLine(const ReportLine& line, int x1, int y1, int x2, int y2, int width)
{
    EXPECT_EQ(line.x1, x1);
    EXPECT_EQ(line.y1, y1);
    EXPECT_EQ(line.x2, x2);
    EXPECT_EQ(line.y2, y2);
    EXPECT_EQ(line.width, width);
}

}  // namespace

TEST(ReportLayout, PageOf4800By6600)
{
    const ReportTexts texts = withIndices(reportAfterCalculating(exampleLake()), "62", "105", "-3", "50");
    const ReportLayout page = layoutReport(4800, 6600, texts);
    EXPECT_EQ(page.units.Lh, 132);
    EXPECT_EQ(page.units.Cw, 600);
    EXPECT_EQ(page.units.U, 24);
    EXPECT_EQ(page.units.x0, 1800);

    const ReportText title = textItem(page, "TRPHEX - Tarnovale");
    EXPECT_EQ(title.x, 600);
    EXPECT_EQ(title.y, 264);
    EXPECT_EQ(title.style.pointSize, 16);
    EXPECT_EQ(title.style.colour, ReportWhite);
    EXPECT_EQ(title.style.background, ReportGreen);
    EXPECT_EQ(title.style.fontName, "Arial");

    const std::vector<ReportRect> bars = rectsOf(page);
    ASSERT_EQ(bars.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(bars[k].left, 1800);
        EXPECT_EQ(bars[k].right, 4200);
        EXPECT_EQ(bars[k].top, 4356 + 264 * k);
        EXPECT_EQ(bars[k].bottom, 4488 + 264 * k);
        EXPECT_EQ(bars[k].colour, ReportGreen);
    }

    // Marks at 62, 105 (beyond the bar's end at 4200) and -3 (before its start), unclipped.
    const std::vector<ReportLine> marks = linesOf(page, ReportWhite);
    ASSERT_EQ(marks.size(), 4u);
    expectLine(marks[0], 1800 + 62 * 24, 4422, 1800 + 62 * 24, 4406, 66);
    expectLine(marks[1], 1800 + 105 * 24, 4686, 1800 + 105 * 24, 4670, 66);
    expectLine(marks[2], 1800 - 3 * 24, 4950, 1800 - 3 * 24, 4934, 66);
    EXPECT_GT(marks[1].x1, bars[1].right);
    EXPECT_LT(marks[2].x1, bars[2].left);

    // NLF ranges of the report: average 45-51 (the mark at 62 lies right of it), chlorophyll from 0.
    const std::vector<ReportLine> ranges = linesOf(page, ReportMagenta);
    ASSERT_EQ(ranges.size(), 4u);
    expectLine(ranges[0], 1800 + 45 * 24, 4422, 1800 + 51 * 24, 4422, 16);
    EXPECT_GT(marks[0].x1, ranges[0].x2);
    expectLine(ranges[2], 1800, 4950, 1800 + 53 * 24, 4950, 16);

    const std::vector<ReportLine> axis = linesOf(page, ReportBlack);
    ASSERT_EQ(axis.size(), 12u);
    expectLine(axis[0], 1800, 5280, 4200, 5280, 2);
    for (int i = 0; i <= 10; ++i)
        expectLine(axis[1 + i], 1800 + 240 * i, 5247, 1800 + 240 * i, 5313, 2);

    std::vector<ReportText> scale;
    for (const ReportText& text : textsOf(page))
        if (text.y >= 5280)
            scale.push_back(text);
    ASSERT_EQ(scale.size(), 11u);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(scale[i].text, std::to_string(10 * i));
        EXPECT_EQ(scale[i].x, 1800 + 240 * i);
        EXPECT_EQ(scale[i].y, 5412);
        EXPECT_EQ(scale[i].style.pointSize, 10);
        EXPECT_EQ(scale[i].style.colour, ReportBlack);
        EXPECT_EQ(scale[i].style.background, ReportWhite);
    }
}

TEST(ReportLayout, OddLineUnitRoundsEveryHalfDown)
{
    const ReportLayout page = layoutReport(4800, 5050, reportAfterCalculating(exampleLake()));
    ASSERT_EQ(page.units.Lh, 101);
    const int Yc = 33 * 101 + 50;
    const std::vector<ReportLine> marks = linesOf(page, ReportWhite);
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks[0].width, 50);
    EXPECT_EQ(marks[0].y1, Yc);
    EXPECT_EQ(marks[0].y2, Yc - 12);
    EXPECT_EQ(linesOf(page, ReportMagenta)[0].width, 12);
    const ReportLine tick = linesOf(page, ReportBlack)[1];
    EXPECT_EQ(tick.y1, 39 * 101 + 100 - 25);
    EXPECT_EQ(tick.y2, 39 * 101 + 100 + 25);
}

TEST(ReportLayout, LinesOfTheWorkedExample)
{
    const ReportLayout page = layoutReport(4800, 6600, reportAfterCalculating(exampleLake()));
    struct Expected {
        const char* text;
        int column;  // in Cw
        int line;    // in Lh
    };
    for (const Expected& e : {
             Expected{"Lake Name: Example Lake", 1, 4},
             Expected{"Ecoregion: NLF", 5, 4},
             Expected{"Watershed Area: 10 km2", 1, 5},
             Expected{"Surface Area: 1 km2", 5, 5},
             Expected{"Mean Depth: 5 m", 1, 6},
             Expected{"Lake Outflow: 2.43 hm3/yr", 1, 7},
             Expected{"Areal Water Load: 2.43 m/yr", 1, 9},
             Expected{"Variable", 1, 12},
             Expected{"T-test", 6, 12},
             Expected{"Secchi (m)", 1, 15},
             Expected{"Note: Residual = Log10(Observed/Predicted)", 1, 16},
             Expected{"         T-test for signifigant difference between observed & predicted", 1, 17},
             Expected{"Chlrophyll A Interval Frequencies (%)", 1, 20},
             Expected{"ppb", 1, 21},
             Expected{"Case C", 5, 21},
             Expected{"Case A = within year variation considered", 1, 26},
             Expected{"Case B = within year + year-to-year variation", 1, 27},
             Expected{"Case C = Case B + Model Error", 1, 28},
             Expected{"Carlson's Trophic Status Index", 1, 31},
             Expected{"Avg TSI = 52", 1, 33},
             Expected{"TP TSI = 53", 1, 35},
             Expected{"Chlr a TSI = 53", 1, 37},
             Expected{"Secchi TSI = 50", 1, 39},
         }) {
        const ReportText item = textItem(page, e.text);
        EXPECT_EQ(item.x, e.column * 600) << e.text;
        EXPECT_EQ(item.y, e.line * 132) << e.text;
        EXPECT_EQ(item.style.pointSize, 12) << e.text;
        EXPECT_EQ(item.style.colour, ReportBlack) << e.text;
        EXPECT_EQ(item.style.background, ReportWhite) << e.text;
    }
}

TEST(ReportLayout, PrintsTheBoxesAndSelectorsAsTheyStand)
{
    const InputTexts inputs = exampleLake();
    const CalculationOutcome outcome = runCalculation(inputs, NumberFormat{});
    ASSERT_TRUE(outcome.ok());
    ReportTexts texts = reportTextsAfterCalculation(inputs, outcome.texts);
    texts.resultUnits[static_cast<int>(OutputResult::OutVol)] = "gal/day";
    texts.results[Result::OutVol] =
        convertedResultText(OutputResult::OutVol, "gal/day", outcome.state, NumberFormat{});
    textItem(layoutReport(4800, 6600, texts), "Lake Outflow: 1,761,264.00 gal/day");

    // Switching the ecoregion after calculating: the text and ranges of CHF, the old results.
    texts.EcoRegComboBox = "CHF";
    const ReportLayout chf = layoutReport(4800, 6600, texts);
    textItem(chf, "Ecoregion: CHF");
    textItem(chf, "Avg TSI = 52");
    const std::vector<ReportLine> ranges = linesOf(chf, ReportMagenta);
    ASSERT_EQ(ranges.size(), 4u);
    const int chfRanges[4][2] = {{46, 59}, {49, 61}, {47, 61}, {43, 54}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(ranges[k].x1, 1800 + chfRanges[k][0] * 24);
        EXPECT_EQ(ranges[k].x2, 1800 + chfRanges[k][1] * 24);
    }

    // The code in any letter case chooses its ranges; any other text those of NGP.
    texts.EcoRegComboBox = "nlf";
    EXPECT_EQ(linesOf(layoutReport(4800, 6600, texts), ReportMagenta)[0].x1, 1800 + 45 * 24);
    texts.EcoRegComboBox = "NLF ";
    EXPECT_EQ(linesOf(layoutReport(4800, 6600, texts), ReportMagenta)[0].x1, 1800 + 66 * 24);
}

TEST(ReportLayout, ReportOfARunPrintsWhatItReadAndTheUnitEachResultIsIn)
{
    InputTexts inputs = exampleLake();
    inputs[Input::WareaEditBox] = "2471";
    inputs[Input::WareaComboBox] = "acres";
    inputs[Input::AlkalinityEditBox] = "";
    const CalculationOutcome outcome = runCalculation(inputs, NumberFormat{});
    ASSERT_TRUE(outcome.ok()) << errorMessage(outcome.error);
    const CompletedRun run{inputs, outcome.state, outcome.texts};
    std::array<std::string, 6> units;
    units[static_cast<int>(OutputResult::OutVol)] = "GAL/DAY";
    units[static_cast<int>(OutputResult::ResTime)] = "fortnights";  // no unit: shown in years
    units[static_cast<int>(OutputResult::CVtp)] = "mg/L";
    const ReportLayout page = layoutReport(4800, 6600, reportTextsOfRun(run, units, NumberFormat{}));
    textItem(page, "Watershed Area: 2471 acres");
    textItem(page, "Lake Outflow: 1,761,227.52 gal/day");
    textItem(page, "Residence Time: 2.1 years");
    textItem(page, "Chiaudani/Vighi TP: NA mg/L");
    textItem(page, "TP Load: 135 kg/yr");
    textItem(page, "P Retention Coef: 0.60");
}

TEST(ReportLayout, ChiaudaniVighiNotAvailableWithoutAlkalinity)
{
    InputTexts inputs = exampleLake();
    inputs[Input::AlkalinityEditBox] = "";
    textItem(layoutReport(4800, 6600, reportAfterCalculating(inputs)), "Chiaudani/Vighi TP: NA ug/L");
}

// Also a whole number whose mark would lie beyond what a device coordinate holds.
TEST(ReportLayout, IndexBoxWithoutAWholeNumberLosesOnlyItsMark)
{
    for (const char* odd : {"", "abc", "62.5", "6 2", "+-3", "99999999999", "1e2", "2147483647"}) {
        const ReportTexts texts = withIndices(reportAfterCalculating(exampleLake()), "52", odd, "53", "50");
        const ReportLayout page = layoutReport(4800, 6600, texts);
        const std::vector<ReportLine> marks = linesOf(page, ReportWhite);
        ASSERT_EQ(marks.size(), 3u) << odd;
        EXPECT_EQ(marks[0].y1, 4422) << odd;
        EXPECT_EQ(marks[1].y1, 4950) << odd;
        EXPECT_EQ(linesOf(page, ReportMagenta).size(), 4u) << odd;
        EXPECT_EQ(linesOf(page, ReportBlack).size(), 12u) << odd;
        textItem(page, std::string("TP TSI = ") + odd);
    }
    EXPECT_EQ(readIndexBox(" 105 "), 105);
    EXPECT_EQ(readIndexBox("+7"), 7);
    EXPECT_EQ(readIndexBox("-2147483648"), -2147483647 - 1);
}
