// The page's door into the engine: plain C functions that the page's script calls.
//
// Texts go in as UTF-8 bytes the script copies into the module's memory; answers come back
// as bytes (JSON, or a data file's or a result table's bytes) that stay valid until the next
// call, read through trx_answer_length. The lake being typed, the last completed
// calculation and its load response, and the table of lakes on show live here.
//
// The same module runs in the page's Web Workers, where trx_assess_part assesses one part
// of a table of lakes and trx_samples_read reads a table of monitoring samples into
// lake-years, which the page then assesses as a table of lakes.

#include "engine/engine.h"
#include "engine/json.h"
#include "batch/batchpipeline.h"
#include "batch/csv.h"
#include "batch/lakesview.h"
#include "batch/resulttable.h"
#include "files/datafile.h"
#include "model/ecoregion.h"
#include "print/reportlayout.h"
#include "print/reporttexts.h"
#include "print/responsechart.h"
#include "print/responsereportlayout.h"
#include "response/responseresults.h"
#include "samples/samplesrun.h"
#include "samples/trends.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

using namespace trophex;
using engine::JsonObject;
using engine::jsonString;

namespace {

InputTexts lake = InputTexts::startup();        // the texts the form holds
std::optional<engine::Assessment> shownLake;    // the calculation whose results the page shows
std::optional<LoadResponse> shownResponse;      // the load response the page shows, of shownLake
std::shared_ptr<batch::ResultTable> pendingTable;  // the table of lakes being assessed
batch::ResultConsumer pendingConsumer;          // where its parts' results go
batch::LakesView lakesView;                     // the table of lakes on show
std::shared_ptr<const samples::LakeYearTable> pendingSamples;  // the lake-years of the table being assessed
std::shared_ptr<const samples::LakeYearTable> shownSamples;     // those of the table on show, if it came from samples
std::string answer;                             // the bytes of the last answer

const char* answerWith(std::string text)
{
    answer = std::move(text);
    return answer.data();
}

std::string_view bytesOf(const char* bytes, int length)
{
    return std::string_view(bytes, static_cast<std::size_t>(std::max(length, 0)));
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

std::string failureJson(std::string_view message)
{
    return "{\"ok\":false,\"message\":" + jsonString(message) + '}';
}

// ---------------------------------------------------------------------------------------
// What the form is made of

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
    for (const ResultSpec& entry : resultTable()) {
        if (out.back() != '[')
            out += ',';
        JsonObject row(out);
        row.field("control", entry.control);
        row.field("label", entry.label);
        row.field("unit", entry.unit);
        row.field("page", resultPageName(entry.page));
        row.key("column") += std::to_string(entry.gridColumn);
        row.key("row") += std::to_string(entry.gridRow);
        if (const auto selector = selectorOf(entry.result))
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
        row.key("frequency") += choice.kind == TargetKind::Frequency ? "true" : "false";
    }
    choices += ']';
    response.key("bounds") += jsonArray(frequencyBoundSuggestions());
    response.field("firstBound", FirstFrequencyBound);
    response.field("boundUnit", FrequencyBoundUnit);
    response.field("beforeCalculation", ResponseBeforeCalculation);
}

std::string filterJson(const batch::FilterChoices& choices)
{
    std::string out = "[";
    for (const auto& [text, value] : choices)
        out += (out.size() > 1 ? ",[" : "[") + jsonString(text) + ',' + std::to_string(value) + ']';
    return out + ']';
}

void appendTableChoices(std::string& out)
{
    JsonObject table(out);
    table.key("status") += filterJson(batch::statusFilterChoices());
    table.key("ecoregion") += filterJson(batch::ecoregionFilterChoices());
    table.key("trophicClass") += filterJson(batch::trophicClassFilterChoices());
    table.key("goal") += filterJson(batch::goalFilterChoices());
    table.field("noTarget", batch::NoTargetText);
    table.key("targets") += jsonArray(batch::TargetSuggestions);
}

std::string tsiRangesJson(std::string_view ecoregion)
{
    std::string out = "[";
    for (const TsiRange& range : ecoregionTsiRanges(ecoregion, RangeUse::Chart))
        out += (out.size() > 1 ? ",[" : "[") + std::to_string(range.low) + ',' + std::to_string(range.high) + ']';
    return out + ']';
}

// ---------------------------------------------------------------------------------------
// Things to draw

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

    void shape(const char* kind, const std::vector<ReportPoint>& points, Rgb colour, int width) const
    {
        JsonObject item(out);
        item.field("kind", kind);
        item.key("points") += pointsJson(points);
        item.key("colour") += colourJson(colour);
        item.key("width") += std::to_string(width);
    }
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
    void operator()(const ReportRect& r) const { shape("rect", {{r.left, r.top}, {r.right, r.bottom}}, r.colour, 0); }
    void operator()(const ReportLine& l) const { shape("line", {{l.x1, l.y1}, {l.x2, l.y2}}, l.colour, l.width); }
    void operator()(const ReportPolygon& p) const { shape("polygon", p.points, p.colour, 0); }
    void operator()(const ReportPolyline& p) const { shape("polyline", p.points, p.colour, p.width); }
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

// ---------------------------------------------------------------------------------------
// One lake

std::string completedJson(const engine::Assessment& assessment)
{
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "true";
        object.key("results") += jsonArray(assessment.results.texts);  // in the order of the result table
    }
    return out;
}

std::string failedJson(const engine::Error& error)
{
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "false";
        object.field("message", error.message);
        object.field("cause", error.cause);
        if (!error.field.empty())
            object.field("field", error.field);
        object.key("position") += std::to_string(error.position);
    }
    return out;
}

CompletedRun runOf(const engine::Assessment& assessment)
{
    return CompletedRun{*assessment.inputs, assessment.state, assessment.results};
}

// ---------------------------------------------------------------------------------------
// Load response

std::string responseTableJson(const ResponseTable& table)
{
    std::string out = "{\"headings\":" + jsonArray(table.headings) + ",\"rows\":[";
    for (const auto& row : table.rows)
        out += (out.back() == '[' ? "" : ",") + jsonArray(row);
    return out + "]}";
}

// The response shown; the chart laid out in a box of the size given.
std::string responseJson(const LoadResponse& response, const ChartBox& box)
{
    const NumberFormat format;
    const ChartSeries series = chartSeries(response, format);
    std::string out;
    {
        JsonObject object(out);
        object.key("ok") += "true";
        object.field("targetValue", formatNumber(response.target.value, NumberPattern::OneDecimal, format));
        object.key("answer") += jsonArray(responseAnswer(response, format));
        object.key("table") += responseTableJson(responseTable(response, format));
        object.field("chartTitle", series.title);
        if (series.answerPercent)
            object.field("answerPercent", shortestNumberText(*series.answerPercent, format));
        object.key("chart") += itemsJson(layoutResponseChart(series, box, format));
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Tables of lakes

std::optional<engine::ResponseRequest> tableRequest(std::string_view target, int model)
{
    if (target.empty())
        return std::nullopt;
    return engine::ResponseRequest{std::string(target), model ? responseModeName(ResponseMode::Model) : "",
                                   NuisanceLevels::Left};
}

batch::ReadFunction readerOf(std::string_view bytes)
{
    return [bytes](char* buffer, std::size_t capacity) mutable {
        const std::size_t count = std::min(capacity, bytes.size());
        bytes.copy(buffer, count);
        bytes.remove_prefix(count);
        return count;
    };
}

// A part's results cross from a worker to the page as bytes: for each chunk its row
// entries, records, rows and counts, one after another.
template <typename Value>
void put(std::string& out, const Value& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& out, std::string_view text)
{
    put(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

void putChunk(std::string& out, const batch::ResultChunk& chunk)
{
    put(out, static_cast<std::uint32_t>(chunk.entries.size()));
    for (const batch::ResultRowEntry& entry : chunk.entries)
        put(out, entry);
    putText(out, chunk.records);
    putText(out, chunk.rows);
    put(out, chunk.counts);
}

class BytesReader {
public:
    explicit BytesReader(std::string_view bytes) : bytes_(bytes) {}
    bool atEnd() const { return bytes_.empty(); }

    void read(batch::ResultChunk& chunk)
    {
        chunk.entries.resize(get<std::uint32_t>());
        for (batch::ResultRowEntry& entry : chunk.entries)
            entry = get<batch::ResultRowEntry>();
        chunk.records = getText();
        chunk.rows = getText();
        chunk.counts = get<batch::BatchProgress>();
    }

    template <typename Value>
    Value get()
    {
        Value value{};
        if (bytes_.size() < sizeof value)
            throw std::runtime_error("a part's results were cut short");
        std::memcpy(&value, bytes_.data(), sizeof value);
        bytes_.remove_prefix(sizeof value);
        return value;
    }
    std::string getText()
    {
        const std::size_t length = get<std::uint32_t>();
        if (bytes_.size() < length)
            throw std::runtime_error("a part's results were cut short");
        std::string text(bytes_.substr(0, length));
        bytes_.remove_prefix(length);
        return text;
    }

private:
    std::string_view bytes_;  // what is left to read
};

// The lake-years of a samples table cross from the worker that read them to the page as
// bytes: whether a lakes table gave the lakes, the summary, the batch input, the lake names
// and the lake-years.
static_assert(std::is_trivially_copyable_v<samples::LakeYear> && std::is_trivially_copyable_v<samples::SampleCounts>);

void putLakeYears(std::string& out, const samples::LakeYearTable& table)
{
    put(out, static_cast<std::uint8_t>(table.withLakes));
    put(out, table.summary.counts);
    for (std::uint64_t count : {table.summary.sites, table.summary.lakes, table.summary.lakeYears})
        put(out, count);
    putText(out, table.csv);
    put(out, static_cast<std::uint32_t>(table.lakeNames.size()));
    for (const std::string& name : table.lakeNames)
        putText(out, name);
    put(out, static_cast<std::uint32_t>(table.lakeYears.size()));
    for (const samples::LakeYear& lakeYear : table.lakeYears)
        put(out, lakeYear);
}

samples::LakeYearTable readLakeYearTable(BytesReader& reader)
{
    samples::LakeYearTable table;
    table.withLakes = reader.get<std::uint8_t>() != 0;
    table.summary.counts = reader.get<samples::SampleCounts>();
    for (std::uint64_t* count : {&table.summary.sites, &table.summary.lakes, &table.summary.lakeYears})
        *count = reader.get<std::uint64_t>();
    table.csv = reader.getText();
    table.lakeNames.resize(reader.get<std::uint32_t>());
    for (std::string& name : table.lakeNames)
        name = reader.getText();
    table.lakeYears.resize(reader.get<std::uint32_t>());
    for (samples::LakeYear& lakeYear : table.lakeYears) {
        lakeYear = reader.get<samples::LakeYear>();
        if (lakeYear.lake < 0 || static_cast<std::size_t>(lakeYear.lake) >= table.lakeNames.size())
            throw std::runtime_error("the lake-years were cut short");
    }
    return table;
}

std::string numbersJson(const std::vector<double>& numbers)
{
    std::string out = "[";
    for (double number : numbers) {
        if (out.size() > 1)
            out += ',';
        engine::appendJsonNumber(out, number);
    }
    return out + ']';
}

std::string optionalNumberJson(const std::optional<double>& number)
{
    return number ? engine::jsonNumber(*number) : "null";
}

// The trends of a lake: each index by year with Sen's line, and the test's answers in words.
std::string trendsJson(const samples::LakeYearTable& table, int lake)
{
    const std::vector<samples::Trend> trends = samples::lakeTrendsOf(table.lakeYears, lake, samples::TrendSettings{});
    std::string out;
    {
        JsonObject object(out);
        object.field("lake", table.lakeNames[static_cast<std::size_t>(lake)]);
        object.field("words", samples::trendsInWords(trends));
        std::string& list = object.key("trends");
        list += '[';
        for (const samples::Trend& trend : trends) {
            if (list.back() != '[')
                list += ',';
            JsonObject item(list);
            item.field("index", samples::trendIndexName(trend.index));
            item.field("title", samples::trendIndexTitle(trend.index));
            item.key("years") += numbersJson(trend.years);
            item.key("values") += numbersJson(trend.values);
            item.key("slopePerDecade") += optionalNumberJson(trend.slopePerDecade);
            item.key("intercept") += optionalNumberJson(trend.intercept);
            item.field("words", samples::trendInWords(trend));
        }
        list += ']';
    }
    return out;
}

std::string lakesColumnsJson()
{
    std::string out = "[";
    for (const batch::LakesColumn& column : lakesView.columns()) {
        if (out.size() > 1)
            out += ',';
        JsonObject object(out);
        object.field("title", column.title);
        object.field("tip", column.tip);
        object.key("numbers") += column.numbers ? "true" : "false";
    }
    return out + ']';
}

std::string lakesSummaryJson()
{
    std::string out;
    {
        JsonObject object(out);
        object.key("shown") += std::to_string(lakesView.rowCount());
        object.key("lakes") += std::to_string(lakesView.table() ? lakesView.table()->size() : 0);
        object.key("table") += lakesView.table() ? "true" : "false";
        object.key("response") += lakesView.table() && lakesView.table()->hasResponse() ? "true" : "false";
        std::string text = lakesView.summaryText(NumberFormat{});
        object.key("samples") += shownSamples ? "true" : "false";
        if (shownSamples) {
            text += ". " + samples::samplesCountsText(shownSamples->summary.counts, NumberFormat{});
            object.field("skipped", samples::summaryText(shownSamples->summary));
        }
        object.field("text", text);
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

// What the form is made of: inputs, units, ecoregions, results, unit selectors, grid titles,
// the texts the program starts with, the load response's targets and the table's filters.
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
        appendTableChoices(object.key("table"));
    }
    return answerWith(std::move(out));
}

// Sets one of the 31 input texts, by its place in the data file's order.
void trx_set_input(int index, const char* text, int length)
{
    if (index >= 0 && index < InputCount)
        lake.texts[index].assign(bytesOf(text, length));
}

// The 31 texts with the calibration set of the ecoregion the form shows, as Defaults sets it.
const char* trx_ecoregion_defaults()
{
    applyEcoregionDefaults(lake);
    return answerWith(inputTextsJson(lake));
}

// The Calculate command: every result text, or the error with the input that caused it.
const char* trx_calculate()
{
    engine::Assessment assessment = engine::assessTexts(lake);
    if (!assessment.ok())
        return answerWith(failedJson(assessment.error));
    shownLake = std::move(assessment);
    return answerWith(completedJson(*shownLake));
}

// Forgets the shown calculation, as Clear does.
void trx_clear()
{
    shownLake.reset();
    shownResponse.reset();
}

// The ecoregion ranges of the trophic state chart, rows average, TP, chlorophyll a, Secchi.
const char* trx_tsi_ranges(const char* ecoregion, int length)
{
    return answerWith(tsiRangesJson(bytesOf(ecoregion, length)));
}

// The shown result of a unit selector re-expressed in the unit its text names, as the
// engine re-expresses results after a calculation; empty when no calculation is shown.
const char* trx_convert(int selector, const char* unit, int length)
{
    if (!shownLake || selector < 0 || selector >= static_cast<int>(AllOutputResults.size()))
        return answerWith({});
    const OutputResult result = AllOutputResults[selector];
    engine::AssessOptions options;
    options.units.push_back({result, std::string(bytesOf(unit, length))});
    const engine::Assessment converted = engine::assessTexts(*shownLake->inputs, options);
    return answerWith(converted.ok() ? converted.results[resultOf(result)] : std::string());
}

// A data file's bytes read as Open reads them: the 31 texts, or the window's message. The
// page hands over no more than maxReadableBytes and one byte of a file.
const char* trx_open(const char* bytes, int length)
{
    const engine::Assessment opened = engine::assessDataFileBytes(bytesOf(bytes, length), "");
    if (!opened.inputs)
        return answerWith(failureJson(opened.error.message));
    return answerWith("{\"ok\":true,\"inputs\":" + inputTextsJson(*opened.inputs) + '}');
}

// The bytes Save writes for the texts the form holds; empty when they cannot be written.
const char* trx_save()
{
    return answerWith(engine::dataFileBytes(lake).text);
}

// The load response of the shown calculation for the target choice (by its place in the
// list) with the value and level typed, anchored or the model's own; the chart laid out in
// a box of width by height pixels with text of pointSize points on lines of lineHeight.
const char* trx_response(int choice, const char* value, int valueLength, const char* bound, int boundLength,
                         int anchored, int width, int height, int lineHeight, int pointSize)
{
    shownResponse.reset();
    if (!shownLake)
        return answerWith(failureJson(ResponseBeforeCalculation));
    const TargetKind kind = targetChoices()[std::clamp(choice, 0, 5)].kind;
    const std::string target =
        targetChoiceText(kind, std::string(bytesOf(value, valueLength)), std::string(bytesOf(bound, boundLength)));
    const ResponseMode mode = anchored ? ResponseMode::Anchored : ResponseMode::Model;
    const engine::ResponseAssessment assessed =
        engine::assessResponse(*shownLake, {target, responseModeName(mode), NuisanceLevels::Left});
    if (!assessed.ok())
        return answerWith(failureJson(assessed.error.code == ErrorCode::InvalidRequest
                                              ? batch::reasonSentence(assessed.error.message)
                                              : assessed.error.message));
    shownResponse = assessed.response;
    return answerWith(responseJson(*shownResponse, ChartBox{0, 0, width, height, lineHeight, pointSize}));
}

// The printed report of the shown calculation, its six balance results in the units the
// selectors' texts (one a line) name, laid out on a printable area of width by height
// device pixels; empty when no calculation is shown.
const char* trx_report(const char* units, int unitsLength, int width, int height)
{
    if (!shownLake)
        return answerWith("[]");
    std::array<std::string, 6> unitTexts;
    std::string_view rest = bytesOf(units, unitsLength);
    for (std::string& unit : unitTexts) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        unit = std::string(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    const ReportTexts texts = reportTextsOfRun(runOf(*shownLake), unitTexts, NumberFormat{});
    return answerWith(itemsJson(layoutReport(width, height, texts).items));
}

// The printed load response report of the response shown, laid out as trx_report lays
// out its page; empty when none is shown.
const char* trx_response_report(int width, int height)
{
    if (!shownLake || !shownResponse)
        return answerWith("[]");
    const InputTexts& inputs = *shownLake->inputs;
    const ResponseReportTexts texts = responseReportTexts(*shownResponse, inputs[Input::NameEditBox],
                                                          inputs[Input::EcoRegComboBox], NumberFormat{});
    return answerWith(itemsJson(layoutResponseReport(width, height, texts).items));
}

// ---------------------------------------------------------------------------------------
// Tables of lakes, cut into parts that Web Workers assess

// Where the head of a table (a byte order mark, blank lines and the header row) ends in its
// first bytes; 0 when atEnd is 0 and the bytes end before the header row does.
int trx_table_head_end(const char* bytes, int length, int atEnd)
{
    const std::string_view start = bytesOf(bytes, length);
    batch::RecordChunker chunker(readerOf(start));
    batch::CsvRecord header;
    chunker.readHeader(header);
    const std::size_t end = chunker.headerBytes();
    return end >= start.size() && !atEnd ? 0 : static_cast<int>(end);
}

// Where the last whole record in the bytes (which start at a record) ends; 0 when the
// bytes hold none.
int trx_records_end(const char* bytes, int length)
{
    const std::string_view records = bytesOf(bytes, length);
    std::size_t boundary = 0;
    for (;;) {
        const std::size_t end = batch::scanCsvRecord(records, boundary, false, nullptr);
        if (end == std::string_view::npos || end == boundary)
            return static_cast<int>(boundary);
        boundary = end;
    }
}

// In a worker: assesses a part of a table (its head, then whole records) with the target,
// if any, as the engine's batch does on the calling thread. The answer: a status byte, 1
// and the results of the part's chunks, or 0 and the reason the part failed.
const char* trx_assess_part(const char* bytes, int length, const char* target, int targetLength, int model)
{
    answer = std::string();  // the last part's results, read already, make room for this part's
    std::string out(1, '\1');
    engine::BatchOptions options;
    options.workers = 0;
    options.response = tableRequest(bytesOf(target, targetLength), model);
    batch::ResultConsumer consumer;
    consumer.head = [](std::string_view, const batch::ColumnLayout&) {};
    consumer.chunk = [&out](batch::ResultChunk& chunk) { putChunk(out, chunk); };
    const engine::BatchReport report = engine::assessTable(readerOf(bytesOf(bytes, length)), consumer, options);
    if (!report.ok())
        out = '\0' + batch::reasonSentence(report.error.message);
    return answerWith(std::move(out));
}

// Starts a new table from its head, with the target, if any; the table on show stays until
// trx_table_finish. The answer: {"ok":true} or the reason the head cannot be used.
const char* trx_table_begin(const char* head, int headLength, const char* target, int targetLength, int model)
{
    pendingTable = std::make_shared<batch::ResultTable>();
    pendingConsumer = pendingTable->consumer();
    engine::BatchOptions options;
    options.workers = 0;
    options.response = tableRequest(bytesOf(target, targetLength), model);
    const engine::BatchReport report = engine::assessTable(readerOf(bytesOf(head, headLength)), pendingConsumer, options);
    if (!report.ok()) {
        pendingTable.reset();
        return answerWith(failureJson(batch::reasonSentence(report.error.message)));
    }
    return answerWith("{\"ok\":true}");
}

// Why a target for a table cannot be taken ("The tp target must be above 0 ug/L."); empty
// when it can.
const char* trx_table_target_error(const char* target, int targetLength)
{
    const engine::Error error = engine::checkResponseRequest(*tableRequest(bytesOf(target, targetLength), 0));
    return answerWith(error.failed() ? batch::reasonSentence(error.message) : std::string());
}

// Takes the chunks of the next part, in the order of the table; the lakes taken so far.
double trx_table_take(const char* bytes, int length)
{
    if (!pendingTable)
        return -1;
    BytesReader reader(bytesOf(bytes, length));
    batch::ResultChunk chunk;
    while (!reader.atEnd()) {
        reader.read(chunk);
        pendingConsumer.chunk(chunk);
    }
    return static_cast<double>(pendingTable->size());
}

// Shows the table taken, with the filters kept, in the order of the file.
const char* trx_table_finish()
{
    if (pendingTable) {
        shownSamples = std::move(pendingSamples);
        lakesView.setTable(std::move(pendingTable));
    }
    pendingTable.reset();
    pendingSamples.reset();
    pendingConsumer = {};
    return answerWith("{\"columns\":" + lakesColumnsJson() + ",\"summary\":" + lakesSummaryJson() + '}');
}

// Forgets the table being assessed, as Cancel does; the table on show stays.
void trx_table_drop()
{
    pendingTable.reset();
    pendingSamples.reset();
    pendingConsumer = {};
}

// The table's results as the batch writes them for count lakes from lake first, in the
// order of the file; the head before the first lake.
const char* trx_table_bytes(double first, int count)
{
    const batch::ResultTable* table = lakesView.table();
    std::string out;
    if (!table)
        return answerWith(std::move(out));
    const auto start = static_cast<std::size_t>(first);
    if (start == 0)
        out = table->head();
    const std::size_t end = std::min(table->size(), start + static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t lake = start; lake < end; ++lake)
        out += table->resultRow(lake);
    return answerWith(std::move(out));
}

// The cells of count rows on show from row first: [[lake, calculated, cells...], ...].
const char* trx_table_rows(double first, int count)
{
    std::string out = "[";
    const std::size_t columns = lakesView.columns().size();
    const std::size_t end = std::min(lakesView.rowCount(), static_cast<std::size_t>(first) + std::max(count, 0));
    for (auto row = static_cast<std::size_t>(first); row < end; ++row) {
        const std::size_t lake = lakesView.lakeAt(row);
        out += (out.size() > 1 ? ",[" : "[") + std::to_string(lake) + ',' +
               (lakesView.table()->calculated(lake) ? "true" : "false");
        for (std::size_t column = 0; column < columns; ++column)
            out += ',' + jsonString(lakesView.cellText(lake, static_cast<int>(column)));
        out += ']';
    }
    return answerWith(out + ']');
}

// Sorts the table by a column; the summary after.
const char* trx_table_sort(int column, int descending)
{
    if (lakesView.table() && column >= 0 && column < static_cast<int>(lakesView.columns().size()))
        lakesView.sort(column, descending ? batch::SortOrder::Descending : batch::SortOrder::Ascending);
    return answerWith(lakesSummaryJson());
}

// Shows only the lakes that pass the filters (each a value of its choices); the summary after.
const char* trx_table_filter(int status, int ecoregion, int trophicClass, int goal)
{
    lakesView.setFilter({static_cast<batch::StatusFilter>(std::clamp(status, 0, 2)), ecoregion, trophicClass, goal});
    return answerWith(lakesSummaryJson());
}

// The 31 input texts of the lake a row shows, as the batch read them.
const char* trx_table_lake(double row)
{
    if (!lakesView.table() || row < 0 || row >= static_cast<double>(lakesView.rowCount()))
        return answerWith("null");
    return answerWith(inputTextsJson(lakesView.inputTexts(lakesView.lakeAt(static_cast<std::size_t>(row)))));
}

// ---------------------------------------------------------------------------------------
// Monitoring samples

}  // extern "C"

// Reads up to capacity bytes of the samples table into buffer through the module's
// readSamples function, which the worker's script sets: the count of bytes read, 0 at the
// end of the table, below 0 when the table cannot be read.
EM_JS(int, readSamplesInto, (char* buffer, int capacity), {
    return Module['readSamples'](buffer, capacity);
});

namespace {

// The samples table as the script reads it, slice by slice, so that a table of any size
// never sits whole in memory.
batch::ReadFunction scriptReader()
{
    return [](char* buffer, std::size_t capacity) {
        const int got = readSamplesInto(buffer, static_cast<int>(std::min<std::size_t>(capacity, 1 << 30)));
        if (got < 0)
            throw std::runtime_error("the samples table could not be read to its end");
        return static_cast<std::size_t>(got);
    };
}

}  // namespace

extern "C" {

// In a worker: reads the samples table that the script hands over slice by slice, and its
// lakes table when hasLakes is not 0, with the default rules. The answer: a status byte, 1
// and the lake-years, or 0 and the reason.
const char* trx_samples_read(const char* lakesBytes, int lakesLength, int hasLakes)
{
    const batch::ReadFunction readLakes = readerOf(bytesOf(lakesBytes, lakesLength));
    const samples::LakeYearTable table = samples::readLakeYears(
        scriptReader(), hasLakes ? &readLakes : nullptr, samples::SampleRules{},
        samples::Threading::CallingThreadOnly);
    if (!table.summary.ok())
        return answerWith('\0' + batch::reasonSentence(table.summary.error));
    std::string out(1, '\1');
    putLakeYears(out, table);
    return answerWith(std::move(out));
}

// Takes the lake-years a worker read for the next table; the answer is the table of lakes
// they make, for the workers to assess, or empty when the bytes cannot be read.
const char* trx_samples_take(const char* bytes, int length)
{
    pendingSamples.reset();
    try {
        BytesReader reader(bytesOf(bytes, length));
        auto table = std::make_shared<samples::LakeYearTable>(readLakeYearTable(reader));
        std::string input = samples::batchInputOf(*table);
        pendingSamples = std::move(table);
        return answerWith(std::move(input));
    } catch (const std::exception&) {
        return answerWith({});
    }
}

// The trends of the lake of a row on show, when the table came from samples; else null.
const char* trx_samples_trend(double row)
{
    if (!shownSamples || !lakesView.table() || row < 0 || row >= static_cast<double>(lakesView.rowCount()))
        return answerWith("null");
    const std::size_t lakeYear = lakesView.lakeAt(static_cast<std::size_t>(row));
    if (lakeYear >= shownSamples->lakeYears.size())
        return answerWith("null");
    return answerWith(trendsJson(*shownSamples, shownSamples->lakeYears[lakeYear].lake));
}

}  // extern "C"
