#pragma once
// The one-page load response report laid out: title, lake, target, the answer in sentences,
// the chart and the table at cuts of 0 to 100 %, as a list of things to draw. No printing
// here, so that every shell (the browser page too) lays the page out the same way.

#include "arithmetic/numberformat.h"
#include "response/responseresults.h"
#include "print/reportlayout.h"

#include <string>
#include <vector>

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

}  // namespace trophex
