#include "cli/runner.h"

#include "cli/arguments.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace trophex::cli {

namespace {

std::optional<OutputResult> selectorNamed(const std::string& name)
{
    for (OutputResult r : AllOutputResults)
        if (name == outputSelectorName(r))
            return r;
    return std::nullopt;
}

std::optional<UnitChoice> parseUnitChoice(const std::string& text, std::string& error)
{
    const std::size_t eq = text.find('=');
    const auto selector = eq == std::string::npos ? std::nullopt : selectorNamed(text.substr(0, eq));
    if (!selector) {
        error = "--unit takes SELECTOR=TEXT with a result unit selector, not \"" + text + "\"";
        return std::nullopt;
    }
    return UnitChoice{*selector, text.substr(eq + 1)};
}

// The title column left-aligned, every other column right-aligned.
template <typename Grid, typename Titles>
void printGrid(std::ostream& out, const Titles& columnTitles, const Grid& cells, const char* const* rowTitles,
               std::size_t width)
{
    const auto printLine = [&](const std::string& title, const auto& values) {
        out << "  ";
        printAligned(out, title, width, Alignment::Left);
        for (const auto& value : values)
            printAligned(out, value, width, Alignment::Right);
        out << '\n';
    };
    printLine(columnTitles[0], std::vector<std::string>(columnTitles.begin() + 1, columnTitles.end()));
    for (std::size_t r = 0; r < cells.size(); ++r)
        printLine(rowTitles[r], cells[r]);
}

void printInputs(std::ostream& out, const InputTexts& t)
{
    printRow(out, "Lake Name", t[Input::NameEditBox]);
    printRow(out, "Ecoregion", t[Input::EcoRegComboBox]);
    printRow(out, "Watershed Area", t[Input::WareaEditBox], t[Input::WareaComboBox]);
    printRow(out, "Surface Area", t[Input::LareaEditBox], t[Input::LareaComboBox]);
    printRow(out, "Mean Depth", t[Input::DepthEditBox], t[Input::DepthComboBox]);
    printRow(out, "Total Phosphorus", t[Input::TPeditBox], t[Input::TPunitComboBox]);
    printRow(out, "Chlorophyll a", t[Input::ChlrAeditBox], t[Input::ChlrAunitComboBox]);
    printRow(out, "Secchi Disk", t[Input::SechiEditBox], t[Input::SechiUnitComboBox]);
    printRow(out, "Alkalinity", t[Input::AlkalinityEditBox], t[Input::AlkalinityUnitComboBox]);
}

// The boxes of a page that have no unit selector, with their labels.
void printPlainBoxes(std::ostream& out, ResultPage page, const ResultTexts& r)
{
    for (const ResultSpec& desc : resultTable())
        if (desc.page == page && !selectorOf(desc.result))
            printRow(out, desc.label, r[desc.result]);
}

void printResults(std::ostream& out, const Assessment& a)
{
    const ResultTexts& r = a.results;
    out << "Output\n";
    for (OutputResult selector : AllOutputResults) {
        const Result result = resultOf(selector);
        printRow(out, resultSpec(result).label, r[result], a.unitTexts[static_cast<int>(selector)]);
    }
    printPlainBoxes(out, ResultPage::Output, r);
    out << "Predictions\n";
    printGrid(out, CompGridColumnTitles, gridTexts(ResultPage::Predictions, r), CompGridRowTitles.data(), 15);
    out << "Chlorophyll A Interval Frequencies (%)\n";
    printGrid(out, ChlrGridColumnTitles, gridTexts(ResultPage::ChlrA, r), ChlrGridRowTitles.data(), 10);
    out << "TSI\n";
    printPlainBoxes(out, ResultPage::Tsi, r);
}

}  // namespace

std::size_t characterCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}


void printAligned(std::ostream& out, const std::string& text, std::size_t width, Alignment alignment)
{
    const std::size_t length = characterCount(text);
    const std::string padding(length < width ? width - length : 0, ' ');
    if (alignment == Alignment::Right)
        out << padding;
    out << text;
    if (alignment == Alignment::Left)
        out << padding;
}

void printRow(std::ostream& out, const std::string& label, const std::string& value, const std::string& unit)
{
    out << "  ";
    printAligned(out, label, 22, Alignment::Left);
    out << value;
    if (!unit.empty())
        out << ' ' << unit;
    out << '\n';
}

void printError(std::ostream& out, const engine::Error& error)
{
    out << "Error: " << error.message << '\n';
    if (!error.cause.empty())
        out << "       " << error.cause << '\n';
}

bool printJsonLine(std::ostream& out, std::ostream& err, const engine::Text& json)
{
    if (!json.ok()) {
        err << "trophex-cli: " << json.error.message << '\n';
        return false;
    }
    out << json.text << '\n';
    return true;
}

std::optional<RunnerOptions> parseRunnerArguments(const std::vector<std::string>& args, std::string& error)
{
    RunnerOptions options;
    const auto takeOption = [&](std::size_t& i) {
        if (isFlag(args, i, "--json", error)) {
            options.json = true;
        } else if (const auto value = optionValue(args, i, "--unit", error)) {
            const auto choice = parseUnitChoice(*value, error);
            if (!choice)
                return false;
            options.units.push_back(*choice);
        } else if (const auto value = optionValue(args, i, "--report", error)) {
            options.reportPath = *value;
        } else {
            return false;
        }
        return true;
    };
    if (!walkArguments(args, options.files, options.help, takeOption, error))
        return std::nullopt;
    if (options.help)
        return options;
    if (options.files.empty()) {
        error = "no data file given";
        return std::nullopt;
    }
    if (!options.reportPath.empty() && options.files.size() != 1) {
        error = "--report takes exactly one data file";
        return std::nullopt;
    }
    return options;
}

void printPage(std::ostream& out, const Assessment& a)
{
    out << "File: " << a.source << '\n';
    if (a.inputs)
        printInputs(out, *a.inputs);
    if (a.ok())
        printResults(out, a);
    else
        printError(out, a.error);
}

int runRunner(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const NumberFormat& format,
              const ReportWriter& writeReport)
{
    std::string error;
    const std::optional<RunnerOptions> options = parseRunnerArguments(args, error);
    if (!options) {
        err << "trophex-cli: " << error << '\n' << RunnerUsage;
        return 2;
    }
    if (options->help) {
        out << RunnerUsage;
        return 0;
    }
    if (!options->reportPath.empty()) {
        if (!writeReport) {
            err << "trophex-cli: this build cannot write reports\n";
            return 2;
        }
        return writeReport(options->files.front(), options->reportPath, options->units, format, err);
    }
    bool allCalculated = true;
    bool first = true;
    // Machines read the JSON lines: their numbers have a full stop and commas whatever the locale.
    const NumberFormat numbers = options->json ? NumberFormat{} : format;
    for (const std::string& file : options->files) {
        const Assessment a = engine::assessDataFile(file, {options->units, numbers});
        allCalculated = allCalculated && a.ok();
        if (options->json) {
            allCalculated = printJsonLine(out, err, engine::assessmentJson(a)) && allCalculated;
        } else {
            if (!first)
                out << '\n';
            printPage(out, a);
        }
        first = false;
    }
    return allCalculated ? 0 : 1;
}

}  // namespace trophex::cli
