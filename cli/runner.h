#pragma once
// The headless runner: opens data files as the Open command does, calculates, and
// reports every text the window would show.

#include "engine/engine.h"
#include "arithmetic/numberformat.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace trophex::cli {

using engine::Assessment;
using engine::UnitChoice;

struct RunnerOptions {
    bool help = false;              // print the usage and nothing else
    bool json = false;              // one JSON object per line instead of a readable page
    std::vector<UnitChoice> units;  // unit selections applied after each calculation
    std::string reportPath;         // write the printed report of the one file as this PDF
    std::vector<std::string> files;
};

// Writes the printed report of a data file as a PDF; 0 on success, else 1 with one line
// on the error stream. Builds without the printing subsystem have none.
using ReportWriter = std::function<int(const std::string& dataFile, const std::string& pdfPath,
                                       const std::vector<UnitChoice>& units, const NumberFormat& format,
                                       std::ostream& errors)>;

// The options, or nullopt with a message for bad usage.
std::optional<RunnerOptions> parseRunnerArguments(const std::vector<std::string>& args, std::string& error);

void printPage(std::ostream& out, const Assessment& assessment);

enum class Alignment { Left, Right };

// Characters of a UTF-8 text: every byte but the continuation bytes starts one.
std::size_t characterCount(const std::string& text);

// Writes the text padded with spaces to width characters, UTF-8 code points counted as one
// each (a locale's separator may take several bytes, U+202F three), so that columns line up
// on a terminal.
void printAligned(std::ostream& out, const std::string& text, std::size_t width, Alignment alignment);

// One line of a readable page: two spaces, the label in a column of its own, the value and
// the unit, if any.
void printRow(std::ostream& out, const std::string& label, const std::string& value, const std::string& unit = {});

// A failure on a readable page: the message, and under it the cause where the model can tell it.
void printError(std::ostream& out, const engine::Error& error);

// Prints a JSON line, or says on the error stream why it could not be written; false then.
bool printJsonLine(std::ostream& out, std::ostream& err, const engine::Text& json);

// Exit status: 0 when every file calculated, 1 otherwise, 2 for bad usage.
int runRunner(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const NumberFormat& format, const ReportWriter& writeReport = {});

inline constexpr const char* RunnerUsage =
    "usage: trophex-cli [--json] [--unit SELECTOR=TEXT]... FILE...\n"
    "       trophex-cli [--unit SELECTOR=TEXT]... --report REPORT.pdf FILE\n"
    "       trophex-cli batch --help    (assess a CSV table of lakes)\n"
    "       trophex-cli response --help (what a cut of the phosphorus load buys)\n"
    "  Opens each model-run data file, calculates and prints every result.\n"
    "  --json                one JSON object per line per file\n"
    "  --unit SELECTOR=TEXT  show a result in another unit, as its unit selector would;\n"
    "                        SELECTOR is one of AvgInTPunits, PhosLoadUnits, CVtpUnits,\n"
    "                        OutVolUnits, ResTimeUnits, WatLoadUnits\n"
    "  --report REPORT.pdf   write the printed report of the one FILE as a PDF\n"
    "  Exit status: 0 when every file calculated, 1 otherwise, 2 for bad usage.\n";

}  // namespace trophex::cli
