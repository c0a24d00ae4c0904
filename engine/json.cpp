#include "engine/json.h"

#include "files/textencoding.h"
#include "arithmetic/shortestnumber.h"

#include <cmath>
#include <cstdio>

namespace trophex::cli {

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
void appendControls(std::string& out, const FileAssessment& a)
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

std::string assessmentJson(const FileAssessment& a)
{
    std::string out;
    {
        JsonObject object(out);
        object.field("file", a.file);
        object.key("ok") += a.ok() ? "true" : "false";
        if (!a.ok()) {
            object.field("error", errorMessage(a.error));
            if (a.error.input)
                object.field("field", inputControlName(*a.error.input));
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

}  // namespace trophex::cli
