#include "print/responsereportlayout.h"

#include "print/responsechart.h"

#include <algorithm>
#include <array>

namespace trophex {

namespace {

constexpr std::size_t AnswerLineWidth = 76;  // characters of body text across the page
constexpr int TablePointSize = 10;
// Lines of the page where the chart and the table start, and the fewest lines a chart takes.
constexpr int ChartLine = 16;
constexpr int TableLine = 35;
constexpr int MinChartLines = 12;
// A lake name's lines are measured by the widths of their letters, in hundredths of the font
// size, so that a name of wide letters (capitals, "WWW...") ends within the page as a name of
// narrow ones does: A4 leaves 40.8 font sizes across the page from the text's left edge.
constexpr int NameBesideEcoregion = 2200;  // of "Lake Name: ..." that ends before the ecoregion
constexpr int NameLineWidth = 4000;        // of a lake name's line
constexpr std::size_t MaxNameLines = 2;    // of a lake name, the last one ending "..." when it goes on

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

// Where each column's right edge lies: the width shared out in proportion to the longest
// text of each column with a gap of two characters, so that a long heading ("Chl a > 10")
// takes room from short numbers rather than run into its neighbour's.
std::vector<int> columnRights(const std::array<std::vector<std::string>, 2>& headings, const ResponseTable& table,
                              int left, int right)
{
    constexpr std::size_t Gap = 2;
    std::vector<std::size_t> widths(headings[0].size(), Gap);
    const auto widen = [&](const std::vector<std::string>& cells) {
        for (std::size_t j = 0; j < cells.size() && j < widths.size(); ++j)
            widths[j] = std::max(widths[j], cells[j].size() + Gap);
    };
    for (const std::vector<std::string>& line : headings)
        widen(line);
    for (const std::vector<std::string>& row : table.rows)
        widen(row);
    std::size_t total = 0;
    for (std::size_t width : widths)
        total += width;
    std::vector<int> rights;
    std::size_t sum = 0;
    for (std::size_t width : widths) {
        sum += width;
        rights.push_back(left + static_cast<int>(static_cast<long long>(right - left) * static_cast<long long>(sum)
                                                 / static_cast<long long>(std::max<std::size_t>(total, 1))));
    }
    return rights;
}

// Headings and rows, each column right-aligned in its share of the width from left to right.
void addTable(std::vector<ReportItem>& items, const ResponseTable& table, int left, int right, int top, int Lh)
{
    std::array<std::vector<std::string>, 2> headings;
    for (const std::string& heading : table.headings)
        for (std::size_t line = 0; line < headings.size(); ++line)
            headings[line].push_back(headingLines(heading)[line]);
    const std::vector<int> rights = columnRights(headings, table, left, right);
    const auto addRow = [&](const std::vector<std::string>& cells, int y) {
        for (std::size_t j = 0; j < cells.size() && j < rights.size(); ++j)
            if (!cells[j].empty())
                addText(items, rights[j], y, cells[j], bodyText(TablePointSize), TextAnchor::TopRight);
    };
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

namespace {

// The start of the UTF-8 character at or before pos, so that no line ends inside one.
std::size_t characterStart(const std::string& text, std::size_t pos)
{
    while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
        --pos;
    return pos;
}

// A byte's share of the width of its character in the report's font, at least as wide as the
// widest of its kind: W, M, m, @ and % are the widest letters, capitals and characters of
// several bytes (counted at their first byte) the next, the rest at most a digit's width.
int byteWidth(unsigned char byte)
{
    if ((byte & 0xC0) == 0x80)
        return 0;
    if (byte >= 0xC0 || byte == 'W' || byte == 'M' || byte == 'm' || byte == '@' || byte == '%')
        return 100;
    if ((byte >= 'A' && byte <= 'Z') || byte == 'w' || byte == '&')
        return 78;
    return 60;
}

int textWidth(const std::string& text)
{
    int width = 0;
    for (const char byte : text)
        width += byteWidth(static_cast<unsigned char>(byte));
    return width;
}

// Where a line of text from start that is at most this wide ends: at the start of a character.
std::size_t fittingEnd(const std::string& text, std::size_t start, int width)
{
    std::size_t end = start;
    for (int used = 0; end < text.size(); ++end) {
        used += byteWidth(static_cast<unsigned char>(text[end]));
        if (used > width)
            break;
    }
    return end;
}

}  // namespace

std::vector<std::string> lakeNameLines(const std::string& lakeName)
{
    std::vector<std::string> lines;
    const std::string text = "Lake Name: " + lakeName;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < MaxNameLines) {
        std::size_t end = fittingEnd(text, start, NameLineWidth);
        if (end < text.size()) {
            // At the last space of the line, else between two characters of a long word.
            const std::size_t space = text.rfind(' ', end);
            end = space != std::string::npos && space > start ? space : std::max(start + 1, characterStart(text, end));
        }
        lines.push_back(text.substr(start, end - start));
        start = end;
        while (start < text.size() && text[start] == ' ')
            ++start;
    }
    if (start < text.size()) {
        std::string& last = lines.back();
        last = last.substr(0, fittingEnd(last, 0, NameLineWidth - textWidth("..."))) + "...";
    }
    return lines;
}

ReportLayout layoutResponseReport(int printableWidth, int printableHeight, const ResponseReportTexts& t)
{
    const ReportUnits u = reportUnits(printableWidth, printableHeight);
    std::vector<ReportItem> items;
    addText(items, u.Cw, 2 * u.Lh, "TROPHEX - Load Response",
            TextStyle{ReportFontName, TitlePointSize, ReportWhite, ReportGreen});
    // A name that would reach the ecoregion beside it takes the width of the page, and the
    // ecoregion the line below it.
    const std::vector<std::string> name = lakeNameLines(t.lakeName);
    int line = 4;
    for (const std::string& text : name)
        addText(items, u.Cw, line++ * u.Lh, text, bodyText());
    if (name.size() == 1 && textWidth(name.front()) <= NameBesideEcoregion)
        addText(items, 5 * u.Cw, 4 * u.Lh, "Ecoregion: " + t.ecoregion, bodyText());
    else
        addText(items, u.Cw, line++ * u.Lh, "Ecoregion: " + t.ecoregion, bodyText());
    addText(items, u.Cw, line++ * u.Lh, "Target: " + t.target, bodyText());
    addText(items, u.Cw, line++ * u.Lh, "Values: " + t.mode, bodyText());
    ++line;
    for (const std::string& text : wrapSentences(t.answer, AnswerLineWidth))
        addText(items, u.Cw, line++ * u.Lh, text, bodyText());

    // The chart ends where the table begins; a long name or answer (a warning that the model
    // does not explain the lake) takes room from the top of the chart, never from the table.
    const int chartTop = std::min(std::max(ChartLine, line + 1), TableLine - MinChartLines - 1);
    const ChartBox box{u.Cw, chartTop * u.Lh, 6 * u.Cw, (TableLine - 1 - chartTop) * u.Lh, u.Lh, TablePointSize};
    const std::vector<ReportItem> chart = layoutResponseChart(t.chart, box, t.format);
    items.insert(items.end(), chart.begin(), chart.end());

    // From half a column in, as its cells are right-aligned: room for "to the bottom" beside a
    // seventh column.
    addTable(items, t.table, u.Cw / 2, 7 * u.Cw, TableLine * u.Lh, u.Lh);
    addText(items, u.Cw, 48 * u.Lh,
            "Steady-state model; the cut applies to the watershed load only; no internal loading.",
            bodyText(TablePointSize));
    return ReportLayout{u, std::move(items)};
}

}  // namespace trophex
