#include "cli/response.h"

#include "engine/json.h"
#include "cli/runner.h"
#include "response/responseresults.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace trophex::cli {

namespace {

constexpr const char* CommandName = "trophex-cli response";

std::string fieldJson(const FieldValue& value)
{
    if (const auto* number = std::get_if<double>(&value))
        return jsonNumber(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return jsonString(*text);
    return "null";
}

void appendPointJson(std::string& out, const ResponsePoint& point)
{
    JsonObject object(out);
    for (const CurveColumnSpec& desc : curveColumnTable()) {
        const std::optional<double> value = curveValue(point, desc.column);
        std::string& text = object.key(desc.jsonKey);
        if (value)
            appendJsonNumber(text, *value);
        else
            text += "null";
    }
}

// The fields in the order of their table, each group of them in an object of its own.
void appendResponse(JsonObject& object, const LoadResponse& response)
{
    const NumberFormat numbers;
    std::string group;
    std::optional<JsonObject> groupObject;
    for (const ResponseFieldSpec& desc : responseFieldTable()) {
        const FieldValue value = responseFieldValue(response, desc.field, numbers);
        if (desc.jsonOmitsNone && std::holds_alternative<std::monostate>(value))
            continue;
        if (desc.jsonGroup != group) {
            groupObject.reset();
            group = desc.jsonGroup;
            if (!group.empty())
                groupObject.emplace(object.key(group));
        }
        (groupObject ? *groupObject : object).key(desc.jsonKey) += fieldJson(value);
    }
    groupObject.reset();
    std::string& curve = object.key("curve");
    curve += '[';
    for (std::size_t i = 0; i < response.curve.size(); ++i) {
        if (i > 0)
            curve += ',';
        appendPointJson(curve, response.curve[i]);
    }
    curve += ']';
}

// Columns right-aligned, each at least 14 characters wide and two wider than its longest
// text, so that no two titles or numbers run together.
std::vector<std::size_t> columnWidths(const ResponseTable& table)
{
    constexpr std::size_t MinimumWidth = 14;
    constexpr std::size_t Gap = 2;
    std::vector<std::size_t> widths(table.headings.size(), MinimumWidth);
    const auto widen = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size() + Gap);
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
            out << std::right << std::setw(static_cast<int>(i < widths.size() ? widths[i] : 0)) << cells[i];
        out << '\n';
    };
    printLine(table.headings);
    for (const std::vector<std::string>& row : table.rows)
        printLine(row);
}

std::optional<TargetSpec> targetOption(const std::string& text, std::string& error)
{
    const TargetReading reading = readTargetSpec(text);
    if (!reading.target)
        error = reading.error;
    return reading.target;
}

}  // namespace

std::optional<ResponseOptions> parseResponseArguments(const std::vector<std::string>& args, std::string& error)
{
    ResponseOptions options;
    const auto takeOption = [&](std::size_t& i) {
        if (args[i] == "--json") {
            options.json = true;
        } else if (args[i] == "--model") {
            options.model = true;
        } else if (const auto value = optionValue(args, i, "--target", error)) {
            const std::optional<TargetSpec> target = targetOption(*value, error);
            if (!target)
                return false;
            options.target = *target;
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

ResponseAssessment assessResponse(const std::string& path, const TargetSpec& target, bool model, NuisanceLevels levels)
{
    ResponseAssessment a;
    a.file = batch::assessFile(path, {}, NumberFormat{});
    if (!a.file.ok())
        return a;
    const ModelState& state = a.file.state;
    const ResponseMode mode = model ? ResponseMode::Model : defaultResponseMode(state);
    a.response =
        evaluateLoadResponse(state, resolveTarget(target, (*a.file.inputs)[Input::EcoRegComboBox]), mode, levels);
    return a;
}

std::string responseJson(const ResponseAssessment& a)
{
    constexpr std::size_t LineBytes = 1 << 16;  // a response line with its curve takes about 45 kB
    std::string out;
    out.reserve(LineBytes);
    {
        JsonObject object(out);
        object.field("file", a.file.file);
        object.key("ok") += a.response ? "true" : "false";
        if (a.response)
            appendResponse(object, *a.response);
        else
            object.field("error", errorMessage(a.file.error));
    }
    return out;
}

void printResponsePage(std::ostream& out, const ResponseAssessment& a, const NumberFormat& format)
{
    out << "File: " << a.file.file << '\n';
    if (a.file.inputs) {
        printRow(out, "Lake Name", (*a.file.inputs)[Input::NameEditBox]);
        printRow(out, "Ecoregion", (*a.file.inputs)[Input::EcoRegComboBox]);
    }
    if (!a.response) {
        out << "Error: " << errorMessage(a.file.error) << '\n';
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
        return writeReport(options->files.front(), options->reportPath, options->target, options->model, format, err);
    }
    bool allCalculated = true;
    for (std::size_t i = 0; i < options->files.size(); ++i) {
        const ResponseAssessment a = assessResponse(options->files[i], options->target, options->model,
                                                    options->json ? NuisanceLevels::Included : NuisanceLevels::Left);
        allCalculated = allCalculated && a.response.has_value();
        if (options->json) {
            out << responseJson(a) << '\n';
        } else {
            if (i > 0)
                out << '\n';
            printResponsePage(out, a, format);
        }
    }
    return allCalculated ? 0 : 1;
}

}  // namespace trophex::cli
