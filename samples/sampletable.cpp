#include "samples/sampletable.h"

#include "files/textencoding.h"
#include "model/names.h"

namespace trophex::samples {

namespace {

struct NamedColumn {
    const char* name;
    int SampleLayout::*column;
    bool required;
};

using L = SampleLayout;

const std::vector<NamedColumn>& waterQualityPortalColumns()
{
    static const std::vector<NamedColumn> Columns = {
        {"MonitoringLocationIdentifier", &L::site, true},
        {"ActivityStartDate", &L::date, true},
        {"ActivityTypeCode", &L::activityType, false},
        {"CharacteristicName", &L::characteristic, true},
        {"ResultSampleFractionText", &L::fraction, false},
        {"ResultMeasureValue", &L::value, true},
        {"ResultMeasure/MeasureUnitCode", &L::unit, false},
        {"ResultDetectionConditionText", &L::detectionCondition, false},
        {"DetectionQuantitationLimitMeasure/MeasureValue", &L::limitValue, false},
        {"DetectionQuantitationLimitMeasure/MeasureUnitCode", &L::limitUnit, false},
        {"ActivityDepthHeightMeasure/MeasureValue", &L::depth, false},
        {"ActivityDepthHeightMeasure/MeasureUnitCode", &L::depthUnit, false},
        {"ActivityTopDepthHeightMeasure/MeasureValue", &L::topDepth, false},
        {"ActivityTopDepthHeightMeasure/MeasureUnitCode", &L::topDepthUnit, false},
        {"ActivityBottomDepthHeightMeasure/MeasureValue", &L::bottomDepth, false},
        {"ActivityBottomDepthHeightMeasure/MeasureUnitCode", &L::bottomDepthUnit, false},
        {"ActivityRelativeDepthName", &L::relativeDepth, false},
    };
    return Columns;
}

const std::vector<NamedColumn>& longColumns()
{
    static const std::vector<NamedColumn> Columns = {
        {"site", &L::site, true},        {"date", &L::date, true},   {"depth", &L::depth, false},
        {"depth_unit", &L::depthUnit, false}, {"parameter", &L::characteristic, true},
        {"value", &L::value, true},      {"unit", &L::unit, false},  {"flag", &L::flag, false},
    };
    return Columns;
}

const std::vector<NamedColumn>& wideColumns()
{
    static const std::vector<NamedColumn> Columns = {
        {"site", &L::site, true},
        {"date", &L::date, true},
        {"depth", &L::depth, false},
        {"depth_unit", &L::depthUnit, false},
    };
    return Columns;
}

std::vector<std::string> headerNames(const batch::CsvRecord& header)
{
    std::vector<std::string> names;
    std::string scratch;
    for (std::size_t i = 0; i < header.size(); ++i)
        names.emplace_back(decodedText(trimmedField(header[i]), scratch));
    return names;
}

// The index of the column of that name; -2 when two columns have it.
int columnNamed(const std::vector<std::string>& names, std::string_view name)
{
    int found = -1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!sameNameIgnoringCase(names[i], name))
            continue;
        if (found >= 0)
            return -2;
        found = static_cast<int>(i);
    }
    return found;
}

bool hasColumn(const std::vector<std::string>& names, std::string_view name)
{
    return columnNamed(names, name) != -1;
}

// Finds a column by name for the layout; false with the error when it is doubled or a
// required one is missing.
bool placeColumn(const std::vector<std::string>& names, std::string_view name, int& column, bool required,
                 std::string& error)
{
    column = columnNamed(names, name);
    if (column == -2) {
        error = "two columns are named " + std::string(name);
        return false;
    }
    if (column < 0 && required) {
        error = "the header has no " + std::string(name) + " column";
        return false;
    }
    return true;
}

SampleHeaderReading placeColumns(const std::vector<std::string>& names, TableShape shape,
                                 const std::vector<NamedColumn>& columns)
{
    SampleHeaderReading reading;
    SampleLayout layout;
    layout.shape = shape;
    for (const NamedColumn& column : columns)
        if (!placeColumn(names, column.name, layout.*(column.column), column.required, reading.error))
            return reading;
    if (shape == TableShape::Wide) {
        bool any = false;
        for (Parameter parameter : Parameters) {
            const int i = static_cast<int>(parameter);
            const std::string name = parameterColumn(parameter);
            if (!placeColumn(names, name, layout.parameterValue[i], false, reading.error)
                || !placeColumn(names, name + "_unit", layout.parameterUnit[i], false, reading.error))
                return reading;
            any = any || layout.parameterValue[i] >= 0;
        }
        if (!any) {
            reading.error = "the header has no total_phosphorus, chlorophyll_a, secchi_depth or alkalinity column";
            return reading;
        }
    }
    reading.layout = layout;
    return reading;
}

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

SampleHeaderReading readSampleHeader(const batch::CsvRecord& header)
{
    const std::vector<std::string> names = headerNames(header);
    if (hasColumn(names, "MonitoringLocationIdentifier") || hasColumn(names, "CharacteristicName"))
        return placeColumns(names, TableShape::WaterQualityPortal, waterQualityPortalColumns());
    if (hasColumn(names, "parameter"))
        return placeColumns(names, TableShape::Long, longColumns());
    for (Parameter parameter : Parameters)
        if (hasColumn(names, parameterColumn(parameter)))
            return placeColumns(names, TableShape::Wide, wideColumns());
    SampleHeaderReading reading;
    reading.error = "the header is none of the sample table shapes (a Water Quality Portal result table, "
                    "site,date,depth,parameter,value,unit or site,date and a column per parameter)";
    return reading;
}

std::string_view trimmedField(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view decodedText(std::string_view bytes, std::string& scratch)
{
    if (isAscii(bytes) || isValidUtf8(bytes))
        return bytes;
    scratch = windows1252ToUtf8(bytes);
    return scratch;
}

std::string_view SampleRowReader::field(int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= record_->size())
        return {};
    const std::string_view text = trimmedField((*record_)[static_cast<std::size_t>(column)]);
    if (isAscii(text))
        return text;
    if (scratchUsed_ == scratch_.size())
        scratch_.emplace_back();
    return decodedText(text, scratch_[scratchUsed_++]);
}

const SampleRow& SampleRowReader::read(const batch::CsvRecord& record)
{
    record_ = &record;
    scratchUsed_ = 0;
    row_.site = field(layout_.site);
    row_.date = field(layout_.date);
    if (layout_.shape == TableShape::Wide) {
        readWideResults();
        return row_;
    }
    row_.results.resize(1);
    SampleFields& f = row_.results.front();
    f = SampleFields{};
    f.activityType = field(layout_.activityType);
    f.characteristic = field(layout_.characteristic);
    f.fraction = field(layout_.fraction);
    return row_;
}

void SampleRowReader::readValueTexts(SampleFields& f)
{
    if (f.columnParameter)
        return;  // the wide form's results are read whole
    f.value = field(layout_.value);
    f.unit = field(layout_.unit);
    f.detectionCondition = field(layout_.detectionCondition);
    f.limitValue = field(layout_.limitValue);
    f.limitUnit = field(layout_.limitUnit);
    f.depth = field(layout_.depth);
    f.depthUnit = field(layout_.depthUnit);
    f.topDepth = field(layout_.topDepth);
    f.topDepthUnit = field(layout_.topDepthUnit);
    f.bottomDepth = field(layout_.bottomDepth);
    f.bottomDepthUnit = field(layout_.bottomDepthUnit);
    f.relativeDepth = field(layout_.relativeDepth);
    const std::string_view flag = field(layout_.flag);
    f.flaggedNonDetect = flag == "<" || sameNameIgnoringCase(flag, "ND");
}

void SampleRowReader::readWideResults()
{
    row_.results.clear();
    const std::string_view depth = field(layout_.depth);
    const std::string_view depthUnit = field(layout_.depthUnit);
    for (Parameter parameter : Parameters) {
        const int i = static_cast<int>(parameter);
        const std::string_view value = field(layout_.parameterValue[i]);
        if (value.empty())
            continue;
        SampleFields f;
        f.columnParameter = parameter;
        f.value = value;
        f.unit = field(layout_.parameterUnit[i]);
        f.depth = depth;
        f.depthUnit = depthUnit;
        row_.results.push_back(f);
    }
}

}  // namespace trophex::samples
