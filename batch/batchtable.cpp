#include "batch/batchtable.h"


#include "files/textencoding.h"
#include "model/ecoregion.h"
#include "model/names.h"
#include "response/responseresults.h"
#include "arithmetic/shortestnumber.h"


namespace trophex::batch {

namespace {

struct InputColumn {
    Input input;        // the input text the column gives
    const char* name;   // the documented header name
    const char* alias;  // a shorter name also understood, or nullptr
};

// In InputTexts order. The control names (inputControlName) are understood as well.
constexpr std::array<InputColumn, InputCount> InputColumns = {{
    {Input::NameEditBox, "name", "lake"},
    {Input::EcoRegComboBox, "ecoregion", nullptr},
    {Input::WareaEditBox, "watershed_area", nullptr},
    {Input::WareaComboBox, "watershed_area_unit", nullptr},
    {Input::LareaEditBox, "lake_area", "surface_area"},
    {Input::LareaComboBox, "lake_area_unit", "surface_area_unit"},
    {Input::DepthEditBox, "mean_depth", nullptr},
    {Input::DepthComboBox, "mean_depth_unit", nullptr},
    {Input::TPeditBox, "total_phosphorus", "tp"},
    {Input::TPunitComboBox, "total_phosphorus_unit", "tp_unit"},
    {Input::ChlrAeditBox, "chlorophyll_a", "chla"},
    {Input::ChlrAunitComboBox, "chlorophyll_a_unit", "chla_unit"},
    {Input::SechiEditBox, "secchi_depth", "secchi"},
    {Input::SechiUnitComboBox, "secchi_depth_unit", "secchi_unit"},
    {Input::AlkalinityEditBox, "alkalinity", nullptr},
    {Input::AlkalinityUnitComboBox, "alkalinity_unit", nullptr},
    {Input::StreamEditBox, "stream_p", "stream_phosphorus"},
    {Input::PrecipEditBox, "precipitation", nullptr},
    {Input::EvapEditBox, "evaporation", nullptr},
    {Input::RunoffEditBox, "runoff", nullptr},
    {Input::AtmosEditBox, "atmospheric_p_load", "atmospheric_load"},
    {Input::V1EditBox, "v1", nullptr},
    {Input::V2Editbox, "v2", nullptr},
    {Input::V3EditBox, "v3", nullptr},
    {Input::V4EditBox, "v4", nullptr},
    {Input::V5EditBox, "v5", nullptr},
    {Input::V6EditBox, "v6", nullptr},
    {Input::V7EditBox, "v7", nullptr},
    {Input::V8EditBox, "v8", nullptr},
    {Input::S1EditBox, "s1", nullptr},
    {Input::S2EditBox, "s2", nullptr},
}};

constexpr std::array<Input, 7> RequiredInputs = {Input::EcoRegComboBox, Input::WareaEditBox, Input::LareaEditBox,
                                                 Input::DepthEditBox,   Input::TPeditBox,    Input::ChlrAeditBox,
                                                 Input::SechiEditBox};

struct UnitColumn {
    Input unitBox;             // the unit selector's text
    const char* modelUnit;     // taken for an absent or empty unit
    const char* const* units;  // the names the selector offers
    std::size_t unitCount;     // how many
};

template <std::size_t N>
UnitColumn unitColumn(Input unitBox, const char* modelUnit, const std::array<const char*, N>& units)
{
    return {unitBox, modelUnit, units.data(), N};
}

const std::array<UnitColumn, 7>& unitColumns()
{
    static const std::array<UnitColumn, 7> Columns = {
        unitColumn(Input::WareaComboBox, "km2", areaUnits()),
        unitColumn(Input::LareaComboBox, "km2", areaUnits()),
        unitColumn(Input::DepthComboBox, "m", lengthUnits()),
        unitColumn(Input::TPunitComboBox, "ug/L", concentrationUnits()),
        unitColumn(Input::ChlrAunitComboBox, "ug/L", concentrationUnits()),
        unitColumn(Input::SechiUnitComboBox, "m", lengthUnits()),
        unitColumn(Input::AlkalinityUnitComboBox, "meq/L", alkalinityUnits()),
    };
    return Columns;
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string headerKey(std::string_view name)
{
    std::string key;
    for (char c : name) {
        const char lower = lowerAscii(c);
        if (isAsciiAlnum(lower))
            key += lower;
    }
    return key;
}

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A field's text in UTF-8: kept when it is UTF-8 already, else read as Windows-1252.
void assignDecoded(std::string& target, std::string_view field)
{
    if (isAscii(field) || isValidUtf8(field))
        target.assign(field.data(), field.size());
    else
        target = windows1252ToUtf8(field);
}

const CalibrationTexts& calibrationDefaultsOf(Ecoregion region)
{
    static const std::array<CalibrationTexts, 4> Defaults = {
        calibrationDefaults(EcoregionCodes[0]), calibrationDefaults(EcoregionCodes[1]),
        calibrationDefaults(EcoregionCodes[2]), calibrationDefaults(EcoregionCodes[3])};
    return Defaults[static_cast<int>(region)];
}

// An empty unit is the model's unit; any other is written as its selector lists it.
Error normaliseUnit(const UnitColumn& column, std::string& text)
{
    if (text.empty()) {
        text = column.modelUnit;
        return {};
    }
    const std::optional<std::size_t> unit = findName(column.units, column.unitCount, text);
    if (!unit)
        return {ErrorCode::UnknownUnit, text};
    text = column.units[*unit];
    return {};
}

// Whether a record carries text past the header's fields (empty extra fields are allowed).
bool hasExtraText(const CsvRecord& record, std::size_t fieldCount)
{
    for (std::size_t i = fieldCount; i < record.size(); ++i)
        if (!trimmed(record[i]).empty())
            return true;
    return false;
}

}  // namespace

std::optional<Input> inputOfColumn(std::string_view headerName)
{
    const std::string key = headerKey(headerName);
    if (key.empty())
        return std::nullopt;
    for (const InputColumn& column : InputColumns) {
        if (key == headerKey(column.name) || key == headerKey(inputControlName(column.input))
            || (column.alias && key == headerKey(column.alias)))
            return column.input;
    }
    return std::nullopt;
}

const char* inputColumnName(Input input)
{
    return InputColumns[static_cast<int>(input)].name;
}

HeaderReading readHeader(const CsvRecord& header)
{
    HeaderReading reading;
    ColumnLayout layout;
    layout.columnOf.fill(-1);
    layout.fieldCount = header.size();
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string name;
        assignDecoded(name, trimmed(header[i]));
        const std::optional<Input> input = inputOfColumn(name);
        if (!input) {
            // A cell left empty names no column; spreadsheets leave such cells after the last
            // column, so they are passed over without a note.
            if (!name.empty())
                layout.ignoredNames.push_back(name);
            continue;
        }
        int& column = layout.columnOf[static_cast<int>(*input)];
        if (column >= 0) {
            reading.error = std::string("two columns give ") + inputColumnName(*input);
            return reading;
        }
        column = static_cast<int>(i);
    }
    for (Input input : RequiredInputs) {
        if (layout.columnOf[static_cast<int>(input)] < 0) {
            reading.error = std::string("the header has no ") + inputColumnName(input) + " column";
            return reading;
        }
    }
    reading.layout = std::move(layout);
    return reading;
}

Error rowInputs(const CsvRecord& record, const ColumnLayout& layout, InputTexts& texts)
{
    for (int i = 0; i < InputCount; ++i) {
        const int column = layout.columnOf[i];
        if (column >= 0 && static_cast<std::size_t>(column) < record.size())
            assignDecoded(texts.texts[i], trimmed(record[column]));
        else
            texts.texts[i].clear();
    }
    if (record.unterminatedQuote())
        return {ErrorCode::UnterminatedQuote, {}};
    if (record.size() < layout.fieldCount)
        return {ErrorCode::TooFewFields, {}};
    if (hasExtraText(record, layout.fieldCount))
        return {ErrorCode::TooManyFields, {}};

    const std::string& ecoregionText = texts[Input::EcoRegComboBox];
    const std::optional<Ecoregion> region = ecoregionCode(ecoregionText);
    if (!region)
        return {ErrorCode::UnknownEcoregion, ecoregionText};
    texts[Input::EcoRegComboBox] = EcoregionCodes[static_cast<int>(*region)];

    for (const UnitColumn& column : unitColumns()) {
        Error error = normaliseUnit(column, texts[column.unitBox]);
        if (error.failed())
            return error;
    }

    const CalibrationTexts& defaults = calibrationDefaultsOf(*region);
    for (int i = 0; i < CalibrationCount; ++i) {
        std::string& text = texts.texts[FirstCalibrationInput + i];
        if (text.empty())
            text = defaults[i];
    }
    return {};
}

namespace {

void appendRawField(std::string& out, const ResultSpec& desc, const ResultValues& values)
{
    const Extended value = values[desc.result];
    if (desc.zeroText != nullptr && value == 0)
        out += desc.zeroText;
    else
        appendShortestNumber(out, value.toDouble());
}

// The text of a load response column: a number as the window would show it or in full,
// a text as it is, "NA" for none.
std::string responseFieldText(const FieldValue& value, const ResponseFieldSpec& desc, ResultStyle style)
{
    if (const auto* number = std::get_if<double>(&value)) {
        if (style == ResultStyle::Display)
            return formatNumber(*number, desc.pattern, NumberFormat{});
        std::string text;
        appendShortestNumber(text, *number);
        return text;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return "NA";
}

constexpr std::size_t MaxRowFields = ResultCount + ResponseFieldCount + 2;

// The result fields of a completed calculation, then the load response's, then the status.
std::size_t rowFields(std::array<std::string_view, MaxRowFields>& fields, std::string_view name,
                      const CalculationOutcome& outcome, const std::array<std::string, ResponseFieldCount>& responseTexts,
                      std::size_t responseCount)
{
    std::size_t n = 0;
    fields[n++] = name;
    for (int i = 0; i < ResultCount; ++i)
        fields[n++] = outcome.texts.texts[i];
    for (std::size_t i = 0; i < responseCount; ++i)
        fields[n++] = responseTexts[i];
    fields[n++] = SuccessStatus;
    return n;
}

std::size_t responseColumnCount()
{
    std::size_t count = 0;
    for (const ResponseFieldSpec& desc : responseFieldTable())
        count += desc.batchColumn != nullptr;
    return count;
}

}  // namespace

LoadResponse rowResponse(const CalculationOutcome& outcome, const InputTexts& texts, const ResponseSettings& settings)
{
    const ResponseQuestion question =
        resolveQuestion(outcome.state, texts[Input::EcoRegComboBox], settings.target, settings.mode);
    return evaluateGoal(outcome.state, question.target, question.mode);
}

std::size_t resultColumnCount()
{
    return resultTable().size();
}

void appendResultHeader(std::string& out, bool withResponse)
{
    out += "name";
    for (const ResultSpec& desc : resultTable()) {
        out += ',';
        out += desc.batchColumn;
    }
    for (const ResponseFieldSpec& desc : responseFieldTable()) {
        if (withResponse && desc.batchColumn != nullptr) {
            out += ',';
            out += desc.batchColumn;
        }
    }
    out += ",status";
}

void appendResultRow(std::string& out, std::string_view name, const CalculationOutcome& outcome,
                     ResultStyle style, const LoadResponse* response)
{
    if (!outcome.ok()) {
        appendFailedRow(out, name, outcome.error, response != nullptr);
        return;
    }
    std::array<std::string, ResponseFieldCount> responseTexts;
    std::size_t responseCount = 0;
    if (response != nullptr)
        for (const ResponseFieldSpec& desc : responseFieldTable())
            if (desc.batchColumn != nullptr)
                responseTexts[responseCount++] =
                    responseFieldText(responseFieldValue(*response, desc.field, NumberFormat{}), desc, style);
    if (style == ResultStyle::Raw) {
        appendCsvField(out, name);
        for (const ResultSpec& desc : resultTable()) {
            out += ',';
            appendRawField(out, desc, outcome.values);
        }
        for (std::size_t i = 0; i < responseCount; ++i) {
            out += ',';
            appendCsvField(out, responseTexts[i]);
        }
        out += ',';
        out += SuccessStatus;
        return;
    }
    std::array<std::string_view, MaxRowFields> fields;
    appendCsvFields(out, fields.data(), rowFields(fields, name, outcome, responseTexts, responseCount));
}

void appendFailedRow(std::string& out, std::string_view name, const Error& error, bool withResponse)
{
    const std::string status = errorMessage(error);
    std::array<std::string_view, MaxRowFields> fields;
    const std::size_t count = ResultCount + 2 + (withResponse ? responseColumnCount() : 0);
    fields[0] = name;
    fields[count - 1] = status;
    appendCsvFields(out, fields.data(), count);
}

}  // namespace trophex::batch
