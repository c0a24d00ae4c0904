#include "print/responsereportlayout.h"

#include "print/responsechart.h"

#include <array>

namespace trophex {

namespace {

constexpr std::size_t AnswerLineWidth = 76;  // characters of body text across the page
constexpr int TablePointSize = 10;

TextStyle bodyText(int pointSize = BodyPointSize)
{
    return TextStyle{ReportFontName, pointSize, ReportBlack, ReportWhite};
}

void addText(std::vector<ReportItem>& items, int x, int y, std::string text, const TextStyle& style,
             TextAnchor anchor = TextAnchor::TopLeft)
{
    items.emplace_back(ReportText{x, y, std::move(text), style, anchor});
}

// A heading on two lines, the variable above its unit, so that seven columns fit the width.
std::array<std::string, 2> headingLines(const std::string& heading)
{
    const std::size_t unit = heading.find(" (");
    if (unit == std::string::npos)
        return {heading, ""};
    return {heading.substr(0, unit), heading.substr(unit + 1)};
}

// Headings and rows, each column right-aligned in its share of the width from left to right.
void addTable(std::vector<ReportItem>& items, const ResponseTable& table, int left, int right, int top, int Lh)
{
    const int columns = static_cast<int>(table.headings.size());
    const int columnWidth = (right - left) / std::max(1, columns);
    const auto addRow = [&](const std::vector<std::string>& cells, int y) {
        for (int j = 0; j < static_cast<int>(cells.size()); ++j)
            if (!cells[j].empty())
                addText(items, left + (j + 1) * columnWidth, y, cells[j], bodyText(TablePointSize),
                        TextAnchor::TopRight);
    };
    std::array<std::vector<std::string>, 2> headings;
    for (const std::string& heading : table.headings)
        for (std::size_t line = 0; line < headings.size(); ++line)
            headings[line].push_back(headingLines(heading)[line]);
    addRow(headings[0], top);
    addRow(headings[1], top + Lh);
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        addRow(table.rows[r], top + static_cast<int>(r + 2) * Lh);
}

}  // namespace

ResponseReportTexts responseReportTexts(const LoadResponse& response, const std::string& lakeName,
                                        const std::string& ecoregion, const NumberFormat& format)
{
    ResponseReportTexts t;
    t.lakeName = lakeName;
    t.ecoregion = ecoregion;
    t.target = targetDescription(response.target, format);
    t.mode = responseModeDescription(response.mode);
    t.answer = responseAnswer(response, format);
    t.chart = chartSeries(response, format);
    t.table = responseTable(response, format);
    t.format = format;
    return t;
}

std::vector<std::string> wrapSentences(const std::vector<std::string>& sentences, std::size_t width)
{
    std::vector<std::string> lines;
    for (const std::string& sentence : sentences) {
        std::string line;
        std::size_t start = 0;
        while (start < sentence.size()) {
            std::size_t end = sentence.find(' ', start);
            if (end == std::string::npos)
                end = sentence.size();
            const std::string word = sentence.substr(start, end - start);
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                lines.push_back(line);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
            start = end + 1;
        }
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

ReportLayout layoutResponseReport(int printableWidth, int printableHeight, const ResponseReportTexts& t)
{
    const ReportUnits u = reportUnits(printableWidth, printableHeight);
    std::vector<ReportItem> items;
    addText(items, u.Cw, 2 * u.Lh, "TRPHEX - Load Response",
            TextStyle{ReportFontName, TitlePointSize, ReportWhite, ReportGreen});
    addText(items, u.Cw, 4 * u.Lh, "Lake Name: " + t.lakeName, bodyText());
    addText(items, 5 * u.Cw, 4 * u.Lh, "Ecoregion: " + t.ecoregion, bodyText());
    addText(items, u.Cw, 5 * u.Lh, "Target: " + t.target, bodyText());
    addText(items, u.Cw, 6 * u.Lh, "Values: " + t.mode, bodyText());
    int line = 8;
    for (const std::string& text : wrapSentences(t.answer, AnswerLineWidth))
        addText(items, u.Cw, line++ * u.Lh, text, bodyText());

    const ChartBox box{u.Cw, 16 * u.Lh, 6 * u.Cw, 18 * u.Lh, u.Lh, TablePointSize};
    const std::vector<ReportItem> chart = layoutResponseChart(t.chart, box, t.format);
    items.insert(items.end(), chart.begin(), chart.end());

    addTable(items, t.table, u.Cw, 7 * u.Cw, 35 * u.Lh, u.Lh);
    addText(items, u.Cw, 48 * u.Lh,
            "Steady-state model; the cut applies to the watershed load only; no internal loading.",
            bodyText(TablePointSize));
    return ReportLayout{u, std::move(items)};
}

}  // namespace trophex
