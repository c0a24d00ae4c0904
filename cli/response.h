#pragma once
// trophex-cli response: the load response of data files, how much phosphorus the lake can
// take and what a cut of the watershed load buys, as a readable page, JSON lines or a
// one-page PDF report.

#include "engine/engine.h"
#include "arithmetic/numberformat.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace trophex::cli {

struct ResponseOptions {
    bool help = false;                // print the usage and nothing else
    bool json = false;                // one JSON object per line instead of a readable page
    engine::ResponseRequest request;  // the goal (the ecoregion's unless given) and the mode
    std::string reportPath;           // write the report of the one file as this PDF
    std::vector<std::string> files;
};

// The options, or nullopt with a one-line message for bad usage.
std::optional<ResponseOptions> parseResponseArguments(const std::vector<std::string>& args, std::string& error);

void printResponsePage(std::ostream& out, const engine::ResponseAssessment& assessment, const NumberFormat& format);

// Writes the load response report of the data file as a PDF; 0 on success, else 1 with one
// line on the error stream. Builds without the printing subsystem have none.
using ResponseReportWriter =
    std::function<int(const std::string& dataFile, const std::string& pdfPath, const engine::ResponseRequest& request,
                      const NumberFormat& format, std::ostream& errors)>;

// The arguments after the word "response". Exit status: 0 when every file calculated, 1
// otherwise, 2 for bad usage.
int runResponseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const NumberFormat& format, const ResponseReportWriter& writeReport = {});

inline constexpr const char* ResponseUsage =
    "usage: trophex-cli response [--target SPEC] [--model] [--json] FILE...\n"
    "       trophex-cli response [--target SPEC] [--model] --report REPORT.pdf FILE\n"
    "  Opens each model-run data file, calculates, and tells how the lake answers a cut of\n"
    "  the phosphorus load from its watershed: the cut a target needs, the allowable load,\n"
    "  the stream phosphorus that explains the observed phosphorus, and the lake at cuts of\n"
    "  0 to 100 %.\n"
    "  --target SPEC        the goal (default: ecoregion):\n"
    "                         tp=V       total phosphorus at most V ug/L\n"
    "                         chla=V     chlorophyll a at most V ug/L\n"
    "                         secchi=V   Secchi depth at least V m\n"
    "                         tsi=V      average trophic state index at most V\n"
    "                         freq=B:P   chlorophyll a above B ug/L at most P % of the time\n"
    "                         ecoregion  TP at most the top of the ecoregion's typical range\n"
    "  --model              the model's predictions instead of observed values changed by\n"
    "                       the model's ratios\n"
    "  --json               one JSON object per line per file\n"
    "  --report REPORT.pdf  write the one-page load response report of the one FILE\n"
    "  Exit status: 0 when every file calculated, 1 otherwise, 2 for bad usage.\n";

}  // namespace trophex::cli
