#include "batch/batchtable.h"


#include "model/ecoregion.h"
#include "model/names.h"
#include "response/responseresults.h"
#include "arithmetic/shortestnumber.h"

#include <algorithm>


namespace trophex::batch {

namespace {

struct InputColumn {
    Input input;                         // the input text the column gives
    const char* name;                    // the documented header name
    std::array<const char*, 2> aliases;  // other names also understood; nullptr for none
    const char* fixedUnit;               // the one unit of an input without a unit selector, or nullptr
};

// In InputTexts order. The control names (inputControlName) are understood as well, and a
// unit selector also as the name of its value's column followed by "unit" or "units".
constexpr std::array<InputColumn, InputCount> InputColumns = {{
    {Input::NameEditBox, "name", {"lake", "lake_name"}, nullptr},
    {Input::EcoRegComboBox, "ecoregion", {}, nullptr},
    {Input::WareaEditBox, "watershed_area", {}, nullptr},
    {Input::WareaComboBox, "watershed_area_unit", {}, nullptr},
    {Input::LareaEditBox, "lake_area", {"surface_area"}, nullptr},
    {Input::LareaComboBox, "lake_area_unit", {}, nullptr},
    {Input::DepthEditBox, "mean_depth", {}, nullptr},
    {Input::DepthComboBox, "mean_depth_unit", {}, nullptr},
    {Input::TPeditBox, "total_phosphorus", {"tp"}, nullptr},
    {Input::TPunitComboBox, "total_phosphorus_unit", {}, nullptr},
    {Input::ChlrAeditBox, "chlorophyll_a", {"chla", "chl_a"}, nullptr},
    {Input::ChlrAunitComboBox, "chlorophyll_a_unit", {}, nullptr},
    {Input::SechiEditBox, "secchi_depth", {"secchi", "secchi_disk"}, nullptr},
    {Input::SechiUnitComboBox, "secchi_depth_unit", {}, nullptr},
    {Input::AlkalinityEditBox, "alkalinity", {}, nullptr},
    {Input::AlkalinityUnitComboBox, "alkalinity_unit", {}, nullptr},
    {Input::StreamEditBox, "stream_p", {"stream_phosphorus"}, "ug/L"},
    {Input::PrecipEditBox, "precipitation", {}, "m/yr"},
    {Input::EvapEditBox, "evaporation", {}, "m/yr"},
    {Input::RunoffEditBox, "runoff", {}, "m/yr"},
    {Input::AtmosEditBox, "atmospheric_p_load", {"atmospheric_load"}, "kg/km2/yr"},
    {Input::V1EditBox, "v1", {}, nullptr},
    {Input::V2Editbox, "v2", {}, nullptr},
    {Input::V3EditBox, "v3", {}, nullptr},
    {Input::V4EditBox, "v4", {}, nullptr},
    {Input::V5EditBox, "v5", {}, nullptr},
    {Input::V6EditBox, "v6", {}, nullptr},
    {Input::V7EditBox, "v7", {}, nullptr},
    {Input::V8EditBox, "v8", {}, nullptr},
    {Input::S1EditBox, "s1", {}, nullptr},
    {Input::S2EditBox, "s2", {}, nullptr},
}};

constexpr std::array<Input, 7> RequiredInputs = {Input::EcoRegComboBox, Input::WareaEditBox, Input::LareaEditBox,
                                                 Input::DepthEditBox,   Input::TPeditBox,    Input::ChlrAeditBox,
                                                 Input::SechiEditBox};

struct UnitColumn {
    Input valueBox;            // the value the unit belongs to
    Input unitBox;             // the unit selector's text
    const char* modelUnit;     // taken for an absent or empty unit
    const char* const* units;  // the names the selector offers
    std::size_t unitCount;     // how many
};

template <std::size_t N>
UnitColumn unitColumn(Input valueBox, Input unitBox, const char* modelUnit, const std::array<const char*, N>& units)
{
    return {valueBox, unitBox, modelUnit, units.data(), N};
}

const std::array<UnitColumn, 7>& unitColumns()
{
    static const std::array<UnitColumn, 7> Columns = {
        unitColumn(Input::WareaEditBox, Input::WareaComboBox, "km2", areaUnits()),
        unitColumn(Input::LareaEditBox, Input::LareaComboBox, "km2", areaUnits()),
        unitColumn(Input::DepthEditBox, Input::DepthComboBox, "m", lengthUnits()),
        unitColumn(Input::TPeditBox, Input::TPunitComboBox, "ug/L", concentrationUnits()),
        unitColumn(Input::ChlrAeditBox, Input::ChlrAunitComboBox, "ug/L", concentrationUnits()),
        unitColumn(Input::SechiEditBox, Input::SechiUnitComboBox, "m", lengthUnits()),
        unitColumn(Input::AlkalinityEditBox, Input::AlkalinityUnitComboBox, "meq/L", alkalinityUnits()),
    };
    return Columns;
}

const UnitColumn* unitColumnOfValue(Input valueBox)
{
    for (const UnitColumn& column : unitColumns())
        if (column.valueBox == valueBox)
            return &column;
    return nullptr;
}

}  // namespace

bool isTextInput(Input input)
{
    if (input == Input::NameEditBox || input == Input::EcoRegComboBox)
        return true;
    for (const UnitColumn& column : unitColumns())
        if (column.unitBox == input)
            return true;
    return false;
}

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A name's letters and digits in lower case: "Watershed Area", "watershed_area" and
// "WATERSHED-AREA" all give "watershedarea". The micro sign and the superscript two, as
// units are written ("µg/L", "km²"), count as "u" and "2".
std::string headerKey(std::string_view name)
{
    std::string key;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::string_view pair = name.substr(i, 2);
        if (pair == "\xC2\xB5" || pair == "\xCE\xBC" || pair == "\xC2\xB2") {
            key += pair == "\xC2\xB2" ? '2' : 'u';
            ++i;
            continue;
        }
        const char lower = lowerAscii(name[i]);
        if (isAsciiAlnum(lower))
            key += lower;
    }
    return key;
}

bool namesColumn(const std::string& key, const InputColumn& column)
{
    if (key == headerKey(column.name) || key == headerKey(inputControlName(column.input)))
        return true;
    for (const char* alias : column.aliases)
        if (alias && key == headerKey(alias))
            return true;
    return false;
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

// The input a header name's key gives, if any.
std::optional<Input> inputOfKey(const std::string& key)
{
    if (key.empty())
        return std::nullopt;
    for (const InputColumn& column : InputColumns)
        if (namesColumn(key, column))
            return column.input;
    for (std::string_view suffix : {"units", "unit"}) {
        if (!endsWith(key, suffix))
            continue;
        const std::optional<Input> value = inputOfKey(key.substr(0, key.size() - suffix.size()));
        if (const UnitColumn* unit = value ? unitColumnOfValue(*value) : nullptr)
            return unit->unitBox;
    }
    return std::nullopt;
}

// A header title split into the name and the unit written after it in parentheses or
// brackets, as in "Runoff (m/yr)"; unit is empty when the title has none.
struct Title {
    std::string_view name;
    std::string_view unit;
};

Title splitTitle(std::string_view title)
{
    if (title.empty() || (title.back() != ')' && title.back() != ']'))
        return {title, {}};
    const char open = title.back() == ')' ? '(' : '[';
    const std::size_t at = title.rfind(open);
    if (at == std::string_view::npos || at == 0)
        return {title, {}};
    return {title.substr(0, at), title.substr(at + 1, title.size() - at - 2)};
}

// The unit a column's title gives its values, as the column's unit selector lists it, or why
// the title cannot be used. Titles of inputs without units may carry any note in parentheses.
struct TitleUnit {
    const char* unit = nullptr;  // for an input with a unit selector
    std::string error;           // empty when the title can be used
};

TitleUnit titleUnitOf(Input input, std::string_view title, std::string_view unit)
{
    TitleUnit reading;
    const std::string unitKey = headerKey(unit);
    const std::string column = "the column \"" + std::string(title) + "\"";
    if (const UnitColumn* unitColumn = unitColumnOfValue(input)) {
        for (std::size_t i = 0; i < unitColumn->unitCount; ++i)
            if (unitKey == headerKey(unitColumn->units[i]))
                reading.unit = unitColumn->units[i];
        if (!reading.unit)
            reading.error = column + " names the unknown unit \"" + std::string(unit) + "\"";
        return reading;
    }
    const char* fixedUnit = InputColumns[static_cast<int>(input)].fixedUnit;
    if (fixedUnit && unitKey != headerKey(fixedUnit))
        reading.error = column + " must be in " + fixedUnit;
    return reading;
}

// The input a header title gives, and the unit it names: the whole title as a name first, so
// that a name with parentheses of its own is still understood, then the title before its unit.
struct TitleReading {
    std::optional<Input> input;
    TitleUnit unit;
};

TitleReading readTitle(std::string_view title)
{
    TitleReading reading;
    reading.input = inputOfKey(headerKey(title));
    if (reading.input)
        return reading;
    const Title split = splitTitle(title);
    if (split.unit.data() == nullptr)
        return reading;
    reading.input = inputOfKey(headerKey(split.name));
    if (reading.input)
        reading.unit = titleUnitOf(*reading.input, title, split.unit);
    return reading;
}

// A field's text in UTF-8: kept when it is UTF-8 already, else read as Windows-1252.
void assignDecoded(std::string& target, std::string_view field)
{
    std::string scratch;
    const std::string_view text = decodedText(field, scratch);
    target.assign(text.data(), text.size());
}

const CalibrationTexts& calibrationDefaultsOf(Ecoregion region)
{
    static const std::array<CalibrationTexts, 4> Defaults = {
        calibrationDefaults(EcoregionCodes[0]), calibrationDefaults(EcoregionCodes[1]),
        calibrationDefaults(EcoregionCodes[2]), calibrationDefaults(EcoregionCodes[3])};
    return Defaults[static_cast<int>(region)];
}

// An empty unit is the one the column's title names, else the model's unit; any other is
// written as its selector lists it.
Error normaliseUnit(const UnitColumn& column, const char* titleUnit, std::string& text)
{
    if (text.empty()) {
        text = titleUnit ? titleUnit : column.modelUnit;
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
        if (!trimmedField(record[i]).empty())
            return true;
    return false;
}

}  // namespace

std::optional<Input> inputOfColumn(std::string_view headerName)
{
    return inputOfKey(headerKey(headerName));
}

const char* inputColumnName(Input input)
{
    return InputColumns[static_cast<int>(input)].name;
}

HeaderReading readHeader(const CsvRecord& header, CsvDialect dialect)
{
    HeaderReading reading;
    ColumnLayout layout;
    layout.columnOf.fill(-1);
    layout.fieldCount = header.size();
    layout.dialect = dialect;
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string name;
        assignDecoded(name, trimmedField(header[i]));
        const TitleReading title = readTitle(name);
        const std::optional<Input> input = title.input;
        if (!title.unit.error.empty()) {
            reading.error = title.unit.error;
            return reading;
        }
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
        if (title.unit.unit)
            layout.titleUnits[static_cast<int>(*input)] = title.unit.unit;
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
            assignDecoded(texts.texts[i], trimmedField(record[column]));
        else
            texts.texts[i].clear();
        if (layout.dialect.decimalComma() && !isTextInput(static_cast<Input>(i)))
            std::replace(texts.texts[i].begin(), texts.texts[i].end(), ',', '.');
    }
    if (record.unterminatedQuote())
        return {ErrorCode::UnterminatedQuote, {}};
    if (record.size() < layout.fieldCount)
        return {ErrorCode::TooFewFields, {}};
    if (hasExtraText(record, layout.fieldCount))
        return {ErrorCode::TooManyFields, {}};

    // Every unit is put in its selector's spelling (an empty one takes the title's) before the
    // ecoregion is checked, so that a row that fails on its ecoregion still shows and opens
    // with the units of its values; the ecoregion's error comes first, as before.
    Error unitError;
    for (const UnitColumn& column : unitColumns()) {
        Error error =
            normaliseUnit(column, layout.titleUnits[static_cast<int>(column.valueBox)], texts[column.unitBox]);
        if (error.failed() && !unitError.failed())
            unitError = std::move(error);
    }

    const std::string& ecoregionText = texts[Input::EcoRegComboBox];
    const std::optional<Ecoregion> region = ecoregionCode(ecoregionText);
    if (!region)
        return {ErrorCode::UnknownEcoregion, ecoregionText};
    texts[Input::EcoRegComboBox] = EcoregionCodes[static_cast<int>(*region)];
    if (unitError.failed())
        return unitError;

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

// The text of a load response column: as a table shows it, or numbers in full.
std::string responseFieldText(const FieldValue& value, const ResponseFieldSpec& desc, ResultStyle style)
{
    if (const auto* number = std::get_if<double>(&value); number && style == ResultStyle::Raw) {
        std::string text;
        appendShortestNumber(text, *number);
        return text;
    }
    return responseFieldDisplayText(value, desc.field, NumberFormat{});
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
