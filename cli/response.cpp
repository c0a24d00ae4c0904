#include "cli/response.h"

#include "cli/arguments.h"
#include "cli/runner.h"
#include "response/responseresults.h"

#include <algorithm>
#include <ostream>

namespace trophex::cli {

namespace {

constexpr const char* CommandName = "trophex-cli response";

// Columns right-aligned, each at least 14 characters wide and two wider than its longest
// text, so that no two titles or numbers run together.
std::vector<std::size_t> columnWidths(const ResponseTable& table)
{
    constexpr std::size_t MinimumWidth = 14;
    constexpr std::size_t Gap = 2;
    std::vector<std::size_t> widths(table.headings.size(), MinimumWidth);
    const auto widen = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], characterCount(cells[i]) + Gap);
    };
    widen(table.headings);
    for (const std::vector<std::string>& row : table.rows)
        widen(row);
    return widths;
}

void printTable(std::ostream& out, const ResponseTable& table)
{
    const std::vector<std::size_t> widths = columnWidths(table);
    const auto printLine = [&](const std::vector<std::string>& cells) {
        out << ' ';
        for (std::size_t i = 0; i < cells.size(); ++i)
            printAligned(out, cells[i], i < widths.size() ? widths[i] : 0, Alignment::Right);
        out << '\n';
    };
    printLine(table.headings);
    for (const std::vector<std::string>& row : table.rows)
        printLine(row);
}

}  // namespace

std::optional<ResponseOptions> parseResponseArguments(const std::vector<std::string>& args, std::string& error)
{
    ResponseOptions options;
    const auto takeOption = [&](std::size_t& i) {
        if (isFlag(args, i, "--json", error)) {
            options.json = true;
        } else if (isFlag(args, i, "--model", error)) {
            options.request.mode = responseModeName(ResponseMode::Model);
        } else if (const auto value = optionValue(args, i, "--target", error)) {
            options.request.target = *value;
            const engine::Error unreadable = engine::checkResponseRequest(options.request);
            if (unreadable.failed()) {
                error = unreadable.message;
                return false;
            }
        } else if (const auto value = optionValue(args, i, "--report", error)) {
            options.reportPath = *value;
        } else {
            if (error.empty())
                error = "unknown option " + args[i] + " (" + CommandName + " --help tells more)";
            return false;
        }
        return true;
    };
    if (!walkArguments(args, options.files, options.help, takeOption, error))
        return std::nullopt;
    if (options.help)
        return options;
    if (options.files.empty())
        error = "no data file given";
    else if (!options.reportPath.empty() && options.files.size() != 1)
        error = "--report takes exactly one data file";
    else if (!options.reportPath.empty() && options.json)
        error = "--report and --json do not go together";
    if (!error.empty())
        return std::nullopt;
    return options;
}

void printResponsePage(std::ostream& out, const engine::ResponseAssessment& a, const NumberFormat& format)
{
    out << "File: " << a.lake.source << '\n';
    if (a.lake.inputs) {
        printRow(out, "Lake Name", (*a.lake.inputs)[Input::NameEditBox]);
        printRow(out, "Ecoregion", (*a.lake.inputs)[Input::EcoRegComboBox]);
    }
    if (!a.response) {
        out << "Error: " << a.error.message << '\n';
        return;
    }
    const LoadResponse& r = *a.response;
    printRow(out, "Target", targetDescription(r.target, format));
    printRow(out, "Mode", responseModeDescription(r.mode));
    for (const std::string& sentence : responseAnswer(r, format))
        out << "  " << sentence << '\n';
    printTable(out, responseTable(r, format));
}

int runResponseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const NumberFormat& format, const ResponseReportWriter& writeReport)
{
    std::string error;
    const std::optional<ResponseOptions> options = parseResponseArguments(args, error);
    if (!options) {
        err << CommandName << ": " << error << '\n';
        return 2;
    }
    if (options->help) {
        out << ResponseUsage;
        return 0;
    }
    if (!options->reportPath.empty()) {
        if (!writeReport) {
            err << CommandName << ": this build cannot write reports\n";
            return 2;
        }
        return writeReport(options->files.front(), options->reportPath, options->request, format, err);
    }
    bool allCalculated = true;
    engine::ResponseRequest request = options->request;
    request.levels = options->json ? NuisanceLevels::Included : NuisanceLevels::Left;
    for (std::size_t i = 0; i < options->files.size(); ++i) {
        const engine::ResponseAssessment a =
            engine::assessResponse(engine::assessDataFile(options->files[i]), request);
        allCalculated = allCalculated && a.ok();
        if (options->json) {
            allCalculated = printJsonLine(out, err, engine::responseJson(a)) && allCalculated;
        } else {
            if (i > 0)
                out << '\n';
            printResponsePage(out, a, format);
        }
    }
    return allCalculated ? 0 : 1;
}

}  // namespace trophex::cli
