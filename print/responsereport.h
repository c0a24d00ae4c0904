#pragma once
// The one-page load response report: title, lake, target, the answer in sentences, the
// chart and the table at cuts of 0 to 100 %, laid out as a list of things to draw.

#include "arithmetic/numberformat.h"
#include "response/responseresults.h"
#include "print/reportlayout.h"

#include <QPageSize>

#include <optional>
#include <string>
#include <vector>

class QPaintDevice;
class QString;

namespace trophex {

struct ResponseReportTexts {
    std::string lakeName;             // as the lake name box holds it
    std::string ecoregion;            // as the ecoregion selector holds it
    std::string target;               // what the goal says
    std::string mode;                 // how the values were taken
    std::vector<std::string> answer;  // the sentences of the answer
    ChartSeries chart;                // the target's variable along the cut
    ResponseTable table;              // the lake at cuts of 0, 10, ..., 100 %
    NumberFormat format;              // separators of the chart's numbers
};

ResponseReportTexts responseReportTexts(const LoadResponse& response, const std::string& lakeName,
                                        const std::string& ecoregion, const NumberFormat& format);

// "Lake Name: " and the name, in lines of the page's width (at spaces, or inside a word too
// long for a line), at most two; the last ends "..." when the name goes on.
std::vector<std::string> lakeNameLines(const std::string& lakeName);

// Sentences cut into lines of at most this many characters, at spaces.
std::vector<std::string> wrapSentences(const std::vector<std::string>& sentences, std::size_t width);

ReportLayout layoutResponseReport(int printableWidth, int printableHeight, const ResponseReportTexts& texts);

// Draws the report on the device as one document; false when the device failed.
bool printResponseReport(QPaintDevice& device, const ResponseReportTexts& texts);

// As writeReportPdf, for the load response report.
std::optional<std::string> writeResponseReportPdf(const QString& path, const ResponseReportTexts& texts,
                                                  QPageSize::PageSizeId paper);

}  // namespace trophex
