// The page's door into the engine: plain C functions that the page's script calls.
//
// Texts go in as UTF-8 bytes the script copies into the module's memory; answers come back
// as bytes (JSON, or a data file's bytes) that stay valid until the next call, read through
// trx_answer_length. The lake being typed and the last completed calculation live here, so
// that unit selectors re-express the results of the calculation the page shows.

#include "engine/json.h"
#include "files/datafile.h"
#include "model/calculation.h"
#include "model/ecoregion.h"
#include "model/errors.h"
#include "model/inputs.h"
#include "model/outputunits.h"
#include "model/results.h"
#include "print/reportlayout.h"
#include "print/reporttexts.h"
#include "print/responsechart.h"
#include "print/responsereportlayout.h"
#include "response/loadresponse.h"
#include "response/responseresults.h"
#include "response/responsetarget.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

using namespace trophex;
using cli::JsonObject;
using cli::jsonString;

namespace {

InputTexts lake = InputTexts::startup();  // the texts the form holds
std::optional<CompletedRun> shownRun;     // the calculation whose results the page shows
std::optional<LoadResponse> shownResponse;  // the load response the page shows, of shownRun
std::string answer;                       // the bytes of the last answer

const char* answerWith(std::string text)
{
    answer = std::move(text);
    return answer.data();
}

template <typename Texts>
std::string jsonArray(const Texts& texts)
{
    std::string out = "[";
    for (const auto& text : texts)
        out += (out.size() > 1 ? "," : "") + jsonString(text);
    return out + ']';
}

std::string inputTextsJson(const InputTexts& texts)
{
    return jsonArray(texts.texts);
}

const char* resultPageName(ResultPage page)
{
    switch (page) {
    case ResultPage::Output:
        return "Output";
    case ResultPage::Predictions:
        return "Predictions";
    case ResultPage::ChlrA:
        return "ChlrA";
    case ResultPage::Tsi:
        return "Tsi";
    }
    return "";
}

void appendResults(std::string& out)
{
    out += '[';
    for (const ResultSpec& spec : resultTable()) {
        if (out.back() != '[')
            out += ',';
        JsonObject row(out);
        row.field("control", spec.control);
        row.field("label", spec.label);
        row.field("unit", spec.unit);
        row.field("page", resultPageName(spec.page));
        row.key("column") += std::to_string(spec.gridColumn);
        row.key("row") += std::to_string(spec.gridRow);
        if (const auto selector = selectorOf(spec.result))
            row.key("selector") += std::to_string(static_cast<int>(*selector));
    }
    out += ']';
}

void appendSelectors(std::string& out)
{
    out += '[';
    for (OutputResult selector : AllOutputResults) {
        if (out.back() != '[')
            out += ',';
        JsonObject row(out);
        row.field("name", outputSelectorName(selector));
        row.key("units") += jsonArray(outputUnits(selector));
    }
    out += ']';
}

void appendInputs(std::string& out)
{
    out += '[';
    for (int i = 0; i < InputCount; ++i) {
        if (i)
            out += ',';
        JsonObject row(out);
        row.field("control", inputControlName(static_cast<Input>(i)));
        row.field("label", inputLabel(static_cast<Input>(i)));
    }
    out += ']';
}

std::string tsiRangesJson(std::string_view ecoregion)
{
    std::string out = "[";
    for (const TsiRange& range : ecoregionTsiRanges(ecoregion, RangeUse::Chart))
        out += (out.size() > 1 ? ",[" : "[") + std::to_string(range.low) + ',' + std::to_string(range.high) + ']';
    return out + ']';
}

std::string colourJson(Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return jsonString(text);
}

const char* anchorName(TextAnchor anchor)
{
    switch (anchor) {
    case TextAnchor::TopLeft:
        return "TopLeft";
    case TextAnchor::TopCentre:
        return "TopCentre";
    case TextAnchor::TopRight:
        return "TopRight";
    case TextAnchor::MiddleRight:
        return "MiddleRight";
    }
    return "";
}

std::string pointsJson(const std::vector<ReportPoint>& points)
{
    std::string out = "[";
    for (const ReportPoint& point : points)
        out += (out.size() > 1 ? "," : "") + std::to_string(point.x) + ',' + std::to_string(point.y);
    return out + ']';
}

// One thing to draw, for the page's script to draw it as SVG.
struct ItemJson {
    std::string& out;

    void operator()(const ReportText& text) const
    {
        JsonObject item(out);
        item.field("kind", "text");
        item.key("x") += std::to_string(text.x);
        item.key("y") += std::to_string(text.y);
        item.field("text", text.text);
        item.field("font", text.style.fontName);
        item.key("points") += std::to_string(text.style.pointSize);
        item.key("colour") += colourJson(text.style.colour);
        item.key("background") += colourJson(text.style.background);
        item.field("anchor", anchorName(text.anchor));
    }
    void operator()(const ReportRect& rect) const
    {
        JsonObject item(out);
        item.field("kind", "rect");
        item.key("points") += pointsJson({{rect.left, rect.top}, {rect.right, rect.bottom}});
        item.key("colour") += colourJson(rect.colour);
    }
    void operator()(const ReportLine& line) const
    {
        JsonObject item(out);
        item.field("kind", "line");
        item.key("points") += pointsJson({{line.x1, line.y1}, {line.x2, line.y2}});
        item.key("colour") += colourJson(line.colour);
        item.key("width") += std::to_string(line.width);
    }
    void operator()(const ReportPolygon& polygon) const
    {
        JsonObject item(out);
        item.field("kind", "polygon");
        item.key("points") += pointsJson(polygon.points);
        item.key("colour") += colourJson(polygon.colour);
    }
    void operator()(const ReportPolyline& polyline) const
    {
        JsonObject item(out);
        item.field("kind", "polyline");
        item.key("points") += pointsJson(polyline.points);
        item.key("colour") += colourJson(polyline.colour);
        item.key("width") += std::to_string(polyline.width);
    }
};

std::string itemsJson(const std::vector<ReportItem>& items)
{
    std::string out = "[";
    for (const ReportItem& item : items) {
        if (out.size() > 1)
            out += ',';
        std::visit(ItemJson{out}, item);
    }
    return out + ']';
}

void appendTargetChoices(std::string& out)
{
    JsonObject response(out);
    std::string& choices = response.key("choices");
    choices += '[';
    for (const TargetChoice& choice : targetChoices()) {
        if (choices.back() != '[')
            choices += ',';
        JsonObject row(choices);
        row.field("caption", choice.caption);
        row.field("comparison", choice.comparison);
        row.field("unit", choice.unit);
        row.field("firstValue", choice.firstValue);
        row.key("suggestions") += jsonArray(choice.suggestions);
        row.key("typed") += choice.kind == TargetKind::Ecoregion ? "false" : "true";
    }
    choices += ']';
    response.key("bounds") += jsonArray(frequencyBoundSuggestions());
    response.field("firstBound", FirstFrequencyBound);
    response.field("boundUnit", FrequencyBoundUnit);
    response.field("beforeCalculation", ResponseBeforeCalculation);
}

std::string responseTableJson(const ResponseTable& table)
{
    std::string out = "{\"headings\":" + jsonArray(table.headings) + ",\"rows\":[";
    for (const auto& row : table.rows)
        out += (out.back() == '[' ? "" : ",") + jsonArray(row);
    return out + "]}";
}

// The response of the shown calculation; the chart laid out in a box of the size given.
std::string responseJson(const LoadResponse& response, const ChartBox& box)
{
    const NumberFormat format;
    const ChartSeries series = chartSeries(response, format);
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "true";
        object.field("targetValue", formatNumber(response.target.value, NumberPattern::OneDecimal, format));
        object.field("target", targetDescription(response.target, format));
        object.field("mode", responseModeDescription(response.mode));
        object.key("answer") += jsonArray(responseAnswer(response, format));
        object.key("table") += responseTableJson(responseTable(response, format));
        object.field("chartTitle", series.title);
        if (series.answerPercent)
            object.field("answerPercent", shortestNumberText(*series.answerPercent, format));
        object.key("chart") += itemsJson(layoutResponseChart(series, box, format));
    }
    return out;
}

std::string completedJson(const CompletedRun& run)
{
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "true";
        object.key("results") += jsonArray(run.results.texts);  // in the order of the result table
    }
    return out;
}

std::string failedJson(const Error& error)
{
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "false";
        object.field("message", errorMessage(error));
        object.field("cause", errorCause(error));
        if (error.input)
            object.field("field", inputControlName(*error.input));
        object.key("position") += std::to_string(error.position);
    }
    return out;
}

}  // namespace

extern "C" {

// The length of the last answer in bytes.
int trx_answer_length()
{
    return static_cast<int>(answer.size());
}

// What the form is made of: inputs, units, ecoregions, results, unit selectors, grid titles
// and the texts the program starts with.
const char* trx_tables()
{
    std::string out;
    {
        JsonObject object(out);
        appendInputs(object.key("inputs"));
        object.key("ecoregions") += jsonArray(EcoregionCodes);
        {
            JsonObject units(object.key("units"));
            units.key("area") += jsonArray(areaUnits());
            units.key("length") += jsonArray(lengthUnits());
            units.key("concentration") += jsonArray(concentrationUnits());
            units.key("alkalinity") += jsonArray(alkalinityUnits());
        }
        appendResults(object.key("results"));
        appendSelectors(object.key("selectors"));
        object.key("compGrid") += '[' + jsonArray(CompGridColumnTitles) + ',' + jsonArray(CompGridRowTitles) + ']';
        object.key("chlrGrid") += '[' + jsonArray(ChlrGridColumnTitles) + ',' + jsonArray(ChlrGridRowTitles) + ']';
        object.key("startup") += inputTextsJson(InputTexts::startup());
        object.field("invalidFile", errorMessage(ErrorCode::InvalidFile));
        object.field("nothingToPrint", errorMessage(ErrorCode::NothingToPrint));
        object.key("maxReadableBytes") += std::to_string(MaxReadableBytes);
        appendTargetChoices(object.key("response"));
    }
    return answerWith(std::move(out));
}

// Sets one of the 31 input texts, by its place in the data file's order.
void trx_set_input(int index, const char* text, int length)
{
    if (index >= 0 && index < InputCount)
        lake.texts[index].assign(text, static_cast<std::size_t>(length));
}

// The 31 texts with the calibration set of the ecoregion the form shows.
const char* trx_ecoregion_defaults()
{
    applyEcoregionDefaults(lake);
    return answerWith(inputTextsJson(lake));
}

// The Calculate command: every result text, or the error with the input that caused it.
const char* trx_calculate()
{
    CalculationOutcome outcome = runCalculation(lake, NumberFormat{});
    if (!outcome.ok())
        return answerWith(failedJson(outcome.error));
    shownRun = CompletedRun{lake, outcome.state, outcome.texts};
    return answerWith(completedJson(*shownRun));
}

// Forgets the shown calculation, as Clear does.
void trx_clear()
{
    shownRun.reset();
    shownResponse.reset();
}

// The ecoregion ranges of the trophic state chart, rows average, TP, chlorophyll a, Secchi.
const char* trx_tsi_ranges(const char* ecoregion, int length)
{
    return answerWith(tsiRangesJson(std::string_view(ecoregion, static_cast<std::size_t>(length))));
}

// The shown result of a unit selector re-expressed in the unit its text names; empty when
// no calculation is shown.
const char* trx_convert(int selector, const char* unit, int length)
{
    if (!shownRun || selector < 0 || selector >= static_cast<int>(AllOutputResults.size()))
        return answerWith({});
    return answerWith(convertedResultText(AllOutputResults[selector], std::string_view(unit, length),
                                          shownRun->state, NumberFormat{}));
}

// A data file's bytes read as Open reads them: the 31 texts, or the window's message. The
// page hands over no more than maxReadableBytes and one byte of a file.
const char* trx_open(const char* bytes, int length)
{
    const std::string_view file(bytes, static_cast<std::size_t>(length));
    const std::optional<InputTexts> texts = parseDataFile(file);
    if (!texts)
        return answerWith("{\"ok\":false,\"message\":" + jsonString(errorMessage(ErrorCode::InvalidFile)) + '}');
    return answerWith("{\"ok\":true,\"inputs\":" + inputTextsJson(*texts) + '}');
}

// The bytes Save writes for the texts the form holds.
const char* trx_save()
{
    return answerWith(serializeDataFile(lake));
}

// The load response of the shown calculation for the target choice (by its place in the
// list) with the value and level typed, anchored or the model's own; the chart laid out in
// a box of width by height pixels with text of pointSize points on lines of lineHeight.
const char* trx_response(int choice, const char* value, int valueLength, const char* bound, int boundLength,
                         int anchored, int width, int height, int lineHeight, int pointSize)
{
    shownResponse.reset();
    if (!shownRun)
        return answerWith("{\"ok\":false,\"message\":" + jsonString(ResponseBeforeCalculation) + '}');
    const TargetKind kind = targetChoices()[std::clamp(choice, 0, 5)].kind;
    const std::optional<TargetSpec> wanted =
        readTargetSpec(targetChoiceText(kind, std::string(value, static_cast<std::size_t>(valueLength)),
                                        std::string(bound, static_cast<std::size_t>(boundLength))))
            .target;
    if (!wanted)
        return answerWith("{\"ok\":false,\"message\":" + jsonString(unreadableTargetMessage(kind)) + '}');
    shownResponse = evaluateLoadResponse(shownRun->state,
                                         resolveTarget(*wanted, shownRun->inputs[Input::EcoRegComboBox]),
                                         anchored ? ResponseMode::Anchored : ResponseMode::Model,
                                         NuisanceLevels::Left);
    return answerWith(responseJson(*shownResponse, ChartBox{0, 0, width, height, lineHeight, pointSize}));
}

// The printed report of the shown calculation, its six balance results in the units the
// selectors' texts (one a line) name, laid out on a printable area of width by height
// device pixels; empty when no calculation is shown.
const char* trx_report(const char* units, int unitsLength, int width, int height)
{
    if (!shownRun)
        return answerWith("[]");
    std::array<std::string, 6> unitTexts;
    std::string_view rest(units, static_cast<std::size_t>(unitsLength));
    for (std::string& unit : unitTexts) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        unit = std::string(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return answerWith(itemsJson(layoutReport(width, height, reportTextsOfRun(*shownRun, unitTexts, NumberFormat{})).items));
}

// The printed load response report of the response shown, laid out as trx_report lays
// out its page; empty when none is shown.
const char* trx_response_report(int width, int height)
{
    if (!shownRun || !shownResponse)
        return answerWith("[]");
    const ResponseReportTexts texts = responseReportTexts(*shownResponse, shownRun->inputs[Input::NameEditBox],
                                                          shownRun->inputs[Input::EcoRegComboBox], NumberFormat{});
    return answerWith(itemsJson(layoutResponseReport(width, height, texts).items));
}

}  // extern "C"
