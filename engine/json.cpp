#include "engine/json.h"

#include "files/textencoding.h"
#include "arithmetic/shortestnumber.h"
#include "response/responseresults.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <variant>

namespace trophex::engine {

namespace {

template <typename Titles, typename RowTitles, typename Cells>
void appendGrid(std::string& out, const Titles& columnTitles, const RowTitles& rowTitles, const Cells& cells)
{
    out += "[[";
    for (std::size_t c = 0; c < columnTitles.size(); ++c)
        out += (c ? "," : "") + jsonString(columnTitles[c]);
    out += ']';
    for (std::size_t r = 0; r < cells.size(); ++r) {
        out += ",[" + jsonString(rowTitles[r]);
        for (const std::string& cell : cells[r])
            out += "," + jsonString(cell);
        out += ']';
    }
    out += ']';
}

// The input controls, each result box with its unit selector, then the boxes without one.
void appendControls(std::string& out, const Assessment& a)
{
    JsonObject controls(out);
    for (int i = 0; i < InputCount; ++i)
        controls.field(inputControlName(static_cast<Input>(i)), a.inputs->texts[i]);
    for (OutputResult selector : AllOutputResults) {
        const Result result = resultOf(selector);
        controls.field(resultSpec(result).control, a.results[result]);
        controls.field(outputSelectorName(selector), a.unitTexts[static_cast<int>(selector)]);
    }
    for (const ResultSpec& desc : resultTable())
        if ((desc.page == ResultPage::Output || desc.page == ResultPage::Tsi) && !selectorOf(desc.result))
            controls.field(desc.control, a.results[desc.result]);
}

}  // namespace

std::string& JsonObject::key(std::string_view name)
{
    if (!first_)
        out_ += ',';
    first_ = false;
    appendJsonString(out_, name);
    out_ += ':';
    return out_;
}

std::string jsonNumber(double value)
{
    std::string out;
    appendJsonNumber(out, value);
    return out;
}

void appendJsonNumber(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    appendShortestNumber(out, value);
}

namespace {

// Printable ASCII without quote or backslash stands in a JSON string as it is.
bool plainAscii(std::string_view text)
{
    for (char c : text)
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\')
            return false;
    return true;
}

}  // namespace

std::string jsonString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    appendJsonString(out, text);
    return out;
}

void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    if (plainAscii(text)) {
        out += text;
        out += '"';
        return;
    }
    const std::string valid = sanitizeUtf8(text);
    for (char c : valid) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

namespace {

// "error" with the message, then "field" naming the control of the input concerned.
void appendError(JsonObject& object, const Error& error)
{
    object.field("error", error.message);
    if (!error.field.empty())
        object.field("field", error.field);
}

std::string fieldJson(const FieldValue& value)
{
    if (const auto* number = std::get_if<double>(&value))
        return jsonNumber(*number);
    if (const auto* text = std::get_if<std::string>(&value))
        return jsonString(*text);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    return "null";
}

void appendPointJson(std::string& out, const LoadResponse& response, const ResponsePoint& point)
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
    for (const CurveFlagSpec& desc : curveFlagTable()) {
        const std::optional<bool> flag = curveFlag(response, point, desc.flag);
        object.key(desc.jsonKey) += flag ? (*flag ? "true" : "false") : "null";
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
        appendPointJson(curve, response, response.curve[i]);
    }
    curve += ']';
}

}  // namespace

std::string writeAssessmentJson(const Assessment& a)
{
    std::string out;
    {
        JsonObject object(out);
        object.field("file", a.source);
        object.key("ok") += a.ok() ? "true" : "false";
        if (!a.ok()) {
            appendError(object, a.error);
        } else {
            appendControls(object.key("controls"), a);
            appendGrid(object.key("CompStringGrid"), CompGridColumnTitles, CompGridRowTitles,
                       gridTexts(ResultPage::Predictions, a.results));
            appendGrid(object.key("ChlrStringGrid"), ChlrGridColumnTitles, ChlrGridRowTitles,
                       gridTexts(ResultPage::ChlrA, a.results));
        }
    }
    return out;
}

std::string writeResponseJson(const ResponseAssessment& a)
{
    constexpr std::size_t LineBytes = 1 << 16;  // a response line with its curve takes about 45 kB
    std::string out;
    out.reserve(LineBytes);
    {
        JsonObject object(out);
        object.field("file", a.lake.source);
        object.key("ok") += a.response ? "true" : "false";
        if (a.response)
            appendResponse(object, *a.response);
        else
            appendError(object, a.error);
    }
    return out;
}

}  // namespace trophex::engine
