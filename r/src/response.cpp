// load_response(): the load response of every lake of a data frame, from the engine, as
// the answers per lake and, when asked, the curve in long form with what its chart draws.

#include "cells.h"
#include "parallel.h"
#include "rvalues.h"

#include "engine/engine.h"
#include "response/responseresults.h"

#include <cpp11.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace trophex::r {
namespace {

// The curve's variables in long form: a value with the columns of its band, if it has one.
struct CurveVariable {
    CurveColumn value;
    std::optional<CurveColumn> low;
    std::optional<CurveColumn> high;
};

constexpr std::array<CurveVariable, 11> CurveVariables = {{
    {CurveColumn::TP, CurveColumn::TPLow, CurveColumn::TPHigh},
    {CurveColumn::ChlrA, CurveColumn::ChlrALow, CurveColumn::ChlrAHigh},
    {CurveColumn::Secchi, CurveColumn::SecchiLow, CurveColumn::SecchiHigh},
    {CurveColumn::TsiTP, {}, {}},
    {CurveColumn::TsiChlrA, {}, {}},
    {CurveColumn::TsiSecchi, {}, {}},
    {CurveColumn::TsiAverage, {}, {}},
    {CurveColumn::Over10, {}, {}},
    {CurveColumn::Over20, {}, {}},
    {CurveColumn::Over30, {}, {}},
    {CurveColumn::Over60, {}, {}},
}};

const char* keyOf(CurveColumn column)
{
    return curveColumnTable()[static_cast<int>(column)].jsonKey;
}

// A field of the answer holds a flag (true or false), a text (mode, target, status,
// reasons) or a number.
ColumnKind fieldKind(const ResponseFieldSpec& field)
{
    switch (field.field) {
    case ResponseField::AnswerSecchiToBottom:
    case ResponseField::AnswerIndexOutsideScale:
    case ResponseField::PoorFit:
        return ColumnKind::Flag;
    default:
        break;
    }
    return field.pattern == NumberPattern::Whole && field.unit[0] == '\0' ? ColumnKind::Text : ColumnKind::Number;
}

std::string fieldColumnName(const ResponseFieldSpec& field)
{
    if (field.batchColumn != nullptr)
        return field.batchColumn;
    if (field.jsonGroup[0] == '\0')
        return field.jsonKey;
    return std::string(field.jsonGroup) + "_" + field.jsonKey;
}

std::vector<std::string> answerColumnNames()
{
    std::vector<std::string> names{"name", "status"};
    for (const ResponseFieldSpec& field : responseFieldTable())
        names.push_back(fieldColumnName(field));
    return names;
}

const char* scaleName(ChartScale scale)
{
    switch (scale) {
    case ChartScale::FromZero:
        return "from_zero";
    case ChartScale::Free:
        return "free";
    case ChartScale::Percent:
        return "percent";
    }
    return "";
}

struct LakeResponse {
    std::string name;                      // the lake's name
    std::string status;                    // "ok" or why the lake has no load response
    std::optional<LoadResponse> response;  // when it has one
};

void respondRow(const LakeCells& cells, std::size_t row, const engine::ResponseRequest& request,
                LakeResponse& lake)
{
    thread_local batch::CsvRecord record;
    thread_local InputTexts texts;
    cells.row(row, record);
    const trophex::Error rowError = batch::rowInputs(record, cells.layout(), texts);
    lake.name = texts[Input::NameEditBox];
    lake.response.reset();
    if (rowError.failed()) {
        lake.status = engine::errorOf(rowError).message;
        return;
    }
    engine::ResponseAssessment answer = engine::assessResponse(engine::assessTexts(texts), request);
    if (!answer.ok()) {
        lake.status = answer.error.message;
        return;
    }
    lake.status = batch::SuccessStatus;
    lake.response = std::move(answer.response);
}

// Columns grown lake by lake, for the curve and the charts.
struct GrowingTable {
    std::vector<std::string> names;                 // of the columns
    std::vector<std::vector<double>> numbers;       // number columns, after the text columns
    std::vector<std::vector<std::string>> texts;    // text columns, first

    cpp11::list finish() const
    {
        const std::size_t rows = texts.empty() ? numbers.front().size() : texts.front().size();
        std::vector<ColumnKind> kinds(texts.size(), ColumnKind::Text);
        kinds.resize(names.size(), ColumnKind::Number);
        TableBuilder table(names, rows, kinds);
        for (std::size_t c = 0; c < texts.size(); ++c)
            for (std::size_t row = 0; row < rows; ++row)
                table.setText(c, row, texts[c][row]);
        for (std::size_t c = 0; c < numbers.size(); ++c)
            for (std::size_t row = 0; row < rows; ++row)
                table.setNumber(texts.size() + c, row, numbers[c][row]);
        return table.finish();
    }
};

void appendCurve(GrowingTable& curve, double lake, const LoadResponse& response)
{
    for (const ResponsePoint& point : response.curve)
        for (const CurveVariable& variable : CurveVariables) {
            curve.texts[0].emplace_back(keyOf(variable.value));
            const std::array<double, 6> row = {
                lake,
                point.reductionPct,
                point.load,
                numberOrNA(curveValue(point, variable.value)),
                variable.low ? numberOrNA(curveValue(point, *variable.low)) : NA_REAL,
                variable.high ? numberOrNA(curveValue(point, *variable.high)) : NA_REAL,
            };
            for (std::size_t c = 0; c < row.size(); ++c)
                curve.numbers[c].push_back(row[c]);
        }
}

void appendChart(GrowingTable& points, GrowingTable& charts, double lake, const LoadResponse& response)
{
    const ChartSeries series = chartSeries(response, NumberFormat{});
    for (std::size_t i = 0; i < series.percent.size(); ++i) {
        const std::optional<Band>& band = series.values[i];
        const std::array<double, 5> row = {lake, series.percent[i], band ? band->value : NA_REAL,
                                           band && series.banded ? band->low : NA_REAL,
                                           band && series.banded ? band->high : NA_REAL};
        for (std::size_t c = 0; c < row.size(); ++c)
            points.numbers[c].push_back(row[c]);
    }
    charts.texts[0].push_back(series.title);
    charts.texts[1].push_back(scaleName(series.scale));
    const std::array<double, 3> row = {lake, series.target, numberOrNA(series.answerPercent)};
    for (std::size_t c = 0; c < row.size(); ++c)
        charts.numbers[c].push_back(row[c]);
}

GrowingTable growingTable(std::vector<std::string> texts, std::vector<std::string> numbers)
{
    GrowingTable table;
    table.texts.resize(texts.size());
    table.numbers.resize(numbers.size());
    table.names = std::move(texts);
    table.names.insert(table.names.end(), numbers.begin(), numbers.end());
    return table;
}

void setAnswer(TableBuilder& answers, std::size_t row, const LakeResponse& lake)
{
    answers.setText(0, row, lake.name);
    answers.setText(1, row, lake.status);
    for (std::size_t i = 0; i < responseFieldTable().size(); ++i) {
        const ResponseFieldSpec& field = responseFieldTable()[i];
        const std::size_t column = i + 2;
        const FieldValue value =
            lake.response ? responseFieldValue(*lake.response, field.field, NumberFormat{}) : FieldValue{};
        const ColumnKind kind = fieldKind(field);
        if (const auto* number = std::get_if<double>(&value); number != nullptr && kind == ColumnKind::Number)
            answers.setNumber(column, row, *number);
        else if (const auto* text = std::get_if<std::string>(&value); text != nullptr && kind == ColumnKind::Text)
            answers.setText(column, row, *text);
        else if (const auto* flag = std::get_if<bool>(&value); flag != nullptr && kind == ColumnKind::Flag)
            answers.setFlag(column, row, *flag);
        else
            answers.setMissing(column, row);
    }
}

}  // namespace
}  // namespace trophex::r

using namespace trophex;

[[cpp11::register]] cpp11::list load_response_(cpp11::list lakes, cpp11::strings names, std::string target,
                                               bool anchored, bool curve, int threads)
{
    engine::ResponseRequest request;
    request.target = target;
    request.mode = anchored ? "" : "model";
    const engine::Error requestError = engine::checkResponseRequest(request);
    if (requestError.failed())
        throw std::invalid_argument(requestError.message);

    const r::LakeCells cells(lakes, names);
    const std::size_t rows = cells.rows();
    std::vector<r::ColumnKind> kinds(2, r::ColumnKind::Text);  // the name and the status
    for (const ResponseFieldSpec& field : responseFieldTable())
        kinds.push_back(r::fieldKind(field));
    r::TableBuilder answers(r::answerColumnNames(), rows, kinds);
    r::GrowingTable curveTable = r::growingTable(
        {"variable"}, {"lake", r::keyOf(CurveColumn::ReductionPct), r::keyOf(CurveColumn::Load), "value", "low", "high"});
    r::GrowingTable chartPoints = r::growingTable({}, {"lake", r::keyOf(CurveColumn::ReductionPct), "value", "low", "high"});
    r::GrowingTable charts = r::growingTable({"title", "scale"}, {"lake", "target", "answer_pct"});

    constexpr std::size_t BlockRows = 1 << 12;  // lakes held at once before they go to R
    r::computeAndDeliver<r::LakeResponse>(
        rows, BlockRows, r::threadCount(threads),
        [&](std::size_t row, r::LakeResponse& lake) { r::respondRow(cells, row, request, lake); },
        [&](std::size_t row, const r::LakeResponse& lake) {
            r::setAnswer(answers, row, lake);
            if (curve && lake.response) {
                r::appendCurve(curveTable, static_cast<double>(row + 1), *lake.response);
                r::appendChart(chartPoints, charts, static_cast<double>(row + 1), *lake.response);
            }
        });
    if (!curve)
        return cpp11::writable::list({cpp11::named_arg("answers") = answers.finish()});
    return cpp11::writable::list({cpp11::named_arg("answers") = answers.finish(),
                                  cpp11::named_arg("curve") = curveTable.finish(),
                                  cpp11::named_arg("chart") = chartPoints.finish(),
                                  cpp11::named_arg("charts") = charts.finish()});
}
