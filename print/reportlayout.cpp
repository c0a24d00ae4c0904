#include "print/reportlayout.h"

#include "model/ecoregion.h"

#include <array>
#include <cctype>
#include <charconv>
#include <limits>

namespace trophex {

namespace {

constexpr int IndexBarCount = 4;
constexpr int IndexScaleSteps = 10;  // scale numbers and ticks every 10 index points
constexpr int IndexScaleLength = 100;

// Collects the items of the page, with the text style of the moment, the way a printer
// keeps its current brush and font between calls.
class PageBuilder {
public:
    TextStyle style{ReportFontName, BodyPointSize, ReportBlack, ReportWhite};

    void text(int x, int y, std::string text) { items_.emplace_back(ReportText{x, y, std::move(text), style}); }
    void fill(int left, int top, int right, int bottom, Rgb colour)
    {
        items_.emplace_back(ReportRect{left, top, right, bottom, colour});
    }
    void line(const ReportLine& line) { items_.emplace_back(line); }
    std::vector<ReportItem> take() { return std::move(items_); }

private:
    std::vector<ReportItem> items_;
};

std::string withUnit(const std::string& value, const std::string& unit)
{
    return value + " " + unit;
}

std::string resultWithUnit(const ReportTexts& t, OutputResult result)
{
    return withUnit(t.resultBox(result), t.resultUnit(result));
}

void addTitle(PageBuilder& page, const ReportUnits& u)
{
    page.style = TextStyle{ReportFontName, TitlePointSize, ReportWhite, ReportGreen};
    page.text(u.Cw, 2 * u.Lh, "TRPHEX - Tarnovale");  // spelled as the report always has
    page.style = TextStyle{ReportFontName, BodyPointSize, ReportBlack, ReportWhite};
}

void addInputAndResultLines(PageBuilder& page, const ReportUnits& u, const ReportTexts& t)
{
    using R = OutputResult;
    const std::array<std::array<std::string, 2>, 6> linePairs = {{
        {"Lake Name: " + t.NameEditBox, "Ecoregion: " + t.EcoRegComboBox},
        {"Watershed Area: " + withUnit(t.WareaEditBox, t.WareaComboBox),
         "Surface Area: " + withUnit(t.LareaEditBox, t.LareaComboBox)},
        {"Mean Depth: " + withUnit(t.DepthEditBox, t.DepthComboBox), "TP Load: " + resultWithUnit(t, R::PhosLoad)},
        {"Lake Outflow: " + resultWithUnit(t, R::OutVol), "Avg TP Inflow: " + resultWithUnit(t, R::AvgInTP)},
        {"Residence Time: " + resultWithUnit(t, R::ResTime), "Chiaudani/Vighi TP: " + resultWithUnit(t, R::CVtp)},
        {"Areal Water Load: " + resultWithUnit(t, R::WatLoad), "P Retention Coef: " + t.results[Result::PhosRet]},
    }};
    for (int i = 0; i < static_cast<int>(linePairs.size()); ++i) {
        page.text(u.Cw, (4 + i) * u.Lh, linePairs[i][0]);
        page.text(5 * u.Cw, (4 + i) * u.Lh, linePairs[i][1]);
    }
}

// Each cell at column (j + 1) * Cw of its row's line, the title row and column included.
template <typename ColumnTitles, typename RowTitles>
void addGrid(PageBuilder& page, const ReportUnits& u, const ColumnTitles& columnTitles, const RowTitles& rowTitles,
             const GridTexts& cells, int firstLine)
{
    for (int j = 0; j < static_cast<int>(columnTitles.size()); ++j)
        page.text((j + 1) * u.Cw, firstLine * u.Lh, columnTitles[j]);
    for (int r = 0; r < static_cast<int>(cells.size()); ++r) {
        const int y = (firstLine + 1 + r) * u.Lh;
        page.text(u.Cw, y, rowTitles[r]);
        for (int j = 0; j < static_cast<int>(cells[r].size()); ++j)
            page.text((j + 2) * u.Cw, y, cells[r][j]);
    }
}

void addTables(PageBuilder& page, const ReportUnits& u, const ReportTexts& t)
{
    addGrid(page, u, CompGridColumnTitles, CompGridRowTitles, gridTexts(ResultPage::Predictions, t.results), 12);
    page.text(u.Cw, 16 * u.Lh, "Note: Residual = Log10(Observed/Predicted)");
    // "signifigant" and "Chlrophyll" are spelled as the report always has.
    page.text(u.Cw, 17 * u.Lh, "         T-test for signifigant difference between observed & predicted");

    page.text(u.Cw, 20 * u.Lh, "Chlrophyll A Interval Frequencies (%)");
    addGrid(page, u, ChlrGridColumnTitles, ChlrGridRowTitles, gridTexts(ResultPage::ChlrA, t.results), 21);
    page.text(u.Cw, 26 * u.Lh, "Case A = within year variation considered");
    page.text(u.Cw, 27 * u.Lh, "Case B = within year + year-to-year variation");
    page.text(u.Cw, 28 * u.Lh, "Case C = Case B + Model Error");
}

// The index boxes in bar order: average, total phosphorus, chlorophyll a, Secchi depth.
std::array<const std::string*, IndexBarCount> indexBoxesInBarOrder(const ReportTexts& t)
{
    return {&t.results[Result::AvgTSI], &t.results[Result::PhosTSI], &t.results[Result::ChlrATSI],
            &t.results[Result::SecchiTSI]};
}

int barTop(const ReportUnits& u, int bar)
{
    return (33 + 2 * bar) * u.Lh;
}

void addIndexLines(PageBuilder& page, const ReportUnits& u, const ReportTexts& t)
{
    page.text(u.Cw, 31 * u.Lh, "Carlson's Trophic Status Index");  // "Status", as the report always had it
    const std::array<const char*, IndexBarCount> labels = {"Avg TSI = ", "TP TSI = ", "Chlr a TSI = ",
                                                          "Secchi TSI = "};
    const auto boxes = indexBoxesInBarOrder(t);
    for (int k = 0; k < IndexBarCount; ++k)
        page.text(u.Cw, barTop(u, k), labels[k] + *boxes[k]);
}

int scaleX(const ReportUnits& u, int i)
{
    return u.x0 + IndexScaleSteps * i * u.U;
}

void addScaleNumbers(PageBuilder& page, const ReportUnits& u)
{
    page.style.pointSize = ScalePointSize;
    for (int i = 0; i <= IndexScaleLength / IndexScaleSteps; ++i)
        page.text(scaleX(u, i), 41 * u.Lh, std::to_string(IndexScaleSteps * i));
}

// The x of index value v, or nullopt when it lies beyond what a device coordinate holds.
std::optional<int> indexX(const ReportUnits& u, int v)
{
    const long long x = static_cast<long long>(u.x0) + static_cast<long long>(v) * u.U;
    if (x < std::numeric_limits<int>::min() || x > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(x);
}

void addBars(PageBuilder& page, const ReportUnits& u, const ReportTexts& t)
{
    const int barRight = u.x0 + IndexScaleLength * u.U;
    for (int k = 0; k < IndexBarCount; ++k)
        page.fill(u.x0, barTop(u, k), barRight, barTop(u, k) + u.Lh, ReportGreen);

    const TsiRanges ranges = ecoregionTsiRanges(t.EcoRegComboBox, RangeUse::Report);
    const auto boxes = indexBoxesInBarOrder(t);
    for (int k = 0; k < IndexBarCount; ++k) {
        const int Yc = barTop(u, k) + u.Lh / 2;
        const std::optional<int> v = readIndexBox(*boxes[k]);
        const std::optional<int> x = v ? indexX(u, *v) : std::nullopt;
        if (x)
            page.line(ReportLine{*x, Yc, *x, Yc - u.Lh / 8, ReportWhite, u.Lh / 2});
        page.line(PrintEcoRegLine(u.Cw, Yc, u.U, ranges[k].low, ranges[k].high, u.Lh));
    }
}

void addAxis(PageBuilder& page, const ReportUnits& u)
{
    constexpr int AxisPenWidth = 2;
    const int Ya = 39 * u.Lh + 2 * (u.Lh / 2);
    page.line(ReportLine{u.x0, Ya, u.x0 + IndexScaleLength * u.U, Ya, ReportBlack, AxisPenWidth});
    for (int i = 0; i <= IndexScaleLength / IndexScaleSteps; ++i)
        page.line(ReportLine{scaleX(u, i), Ya - u.Lh / 4, scaleX(u, i), Ya + u.Lh / 4, ReportBlack, AxisPenWidth});
}

}  // namespace

ReportUnits reportUnits(int printableWidth, int printableHeight)
{
    ReportUnits u{};
    u.Lh = printableHeight / 50;
    u.Cw = printableWidth / 8;
    u.U = (4 * u.Cw) / 100;
    u.x0 = 3 * u.Cw;
    return u;
}

ReportLine PrintEcoRegLine(int Cw, int Y, int U, int Low, int High, int Lh)
{
    return ReportLine{3 * Cw + Low * U, Y, 3 * Cw + High * U, Y, ReportMagenta, Lh / 8};
}

std::optional<int> readIndexBox(std::string_view text)
{
    auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    const bool plusSign = !text.empty() && text.front() == '+';
    if (plusSign)
        text.remove_prefix(1);
    if (text.empty() || (plusSign && text.front() == '-'))
        return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

ReportLayout layoutReport(int printableWidth, int printableHeight, const ReportTexts& texts)
{
    const ReportUnits u = reportUnits(printableWidth, printableHeight);
    PageBuilder page;
    addTitle(page, u);
    addInputAndResultLines(page, u, texts);
    addTables(page, u, texts);
    addIndexLines(page, u, texts);
    addScaleNumbers(page, u);
    addBars(page, u, texts);
    addAxis(page, u);
    return ReportLayout{u, page.take()};
}

}  // namespace trophex
