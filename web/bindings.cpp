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

#include <optional>
#include <string>
#include <string_view>

using namespace trophex;
using cli::JsonObject;
using cli::jsonString;

namespace {

InputTexts lake = InputTexts::startup();  // the texts the form holds
std::optional<CompletedRun> shownRun;     // the calculation whose results the page shows
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

}  // extern "C"
