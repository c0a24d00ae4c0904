#include "samples/lakestable.h"

#include "batch/batchtable.h"
#include "model/names.h"
#include "samples/sampletable.h"

namespace trophex::samples {

bool isObservedInput(Input input)
{
    switch (input) {
    case Input::NameEditBox:
    case Input::TPeditBox:
    case Input::TPunitComboBox:
    case Input::ChlrAeditBox:
    case Input::ChlrAunitComboBox:
    case Input::SechiEditBox:
    case Input::SechiUnitComboBox:
    case Input::AlkalinityEditBox:
    case Input::AlkalinityUnitComboBox:
        return true;
    default:
        return false;
    }
}

namespace {

// Where each column of the lakes table goes.
struct LakesLayout {
    int name = -1;
    int sites = -1;
    int alkalinity = -1;
    int alkalinityUnit = -1;
    std::vector<int> columnOf;  // field of each of LakesTable::columns
};

std::optional<LakesLayout> lakesLayout(const batch::CsvRecord& header, LakesTable& table, std::string& error)
{
    LakesLayout layout;
    std::array<int, InputCount> columnOf;
    columnOf.fill(-1);
    std::string scratch;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string_view name = decodedText(trimmedField(header[i]), scratch);
        if (sameNameIgnoringCase(name, "sites")) {
            layout.sites = static_cast<int>(i);
            continue;
        }
        const std::optional<Input> input = batch::inputOfColumn(name);
        if (!input)
            continue;
        int& column = columnOf[static_cast<int>(*input)];
        if (column >= 0) {
            error = std::string("two columns of the lakes table give ") + batch::inputColumnName(*input);
            return std::nullopt;
        }
        column = static_cast<int>(i);
    }
    layout.name = columnOf[static_cast<int>(Input::NameEditBox)];
    layout.alkalinity = columnOf[static_cast<int>(Input::AlkalinityEditBox)];
    layout.alkalinityUnit = columnOf[static_cast<int>(Input::AlkalinityUnitComboBox)];
    if (layout.name < 0 || layout.sites < 0) {
        error = std::string("the lakes table has no ") + (layout.name < 0 ? "name" : "sites") + " column";
        return std::nullopt;
    }
    for (int i = 0; i < InputCount; ++i) {
        const auto input = static_cast<Input>(i);
        if (columnOf[i] >= 0 && !isObservedInput(input)) {
            table.columns.push_back(input);
            layout.columnOf.push_back(columnOf[i]);
        }
    }
    return layout;
}

std::string fieldText(const batch::CsvRecord& record, int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= record.size())
        return {};
    std::string scratch;
    return std::string(decodedText(trimmedField(record[static_cast<std::size_t>(column)]), scratch));
}

std::vector<std::string> siteList(std::string_view text)
{
    std::vector<std::string> sites;
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view site = trimmedField(text.substr(0, end));
        if (!site.empty())
            sites.emplace_back(site);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return sites;
}

// Adds the lake of the record; false with the error when it cannot be.
bool addLake(const batch::CsvRecord& record, const LakesLayout& layout, std::uint64_t row, LakesTable& table,
             std::unordered_map<std::string, int>& lakeNamed, std::string& error)
{
    LakeRecord lake;
    lake.name = fieldText(record, layout.name);
    if (lake.name.empty()) {
        error = "row " + std::to_string(row) + " of the lakes table has no lake name";
        return false;
    }
    const int index = static_cast<int>(table.lakes.size());
    if (!lakeNamed.emplace(lake.name, index).second) {
        error = "the lake \"" + lake.name + "\" is in the lakes table twice";
        return false;
    }
    for (const std::string& site : siteList(fieldText(record, layout.sites))) {
        const auto [entry, added] = table.lakeOfSite.emplace(site, index);
        if (!added && entry->second != index) {
            error = "the site \"" + site + "\" is listed for the lakes \"" + table.lakes[entry->second].name
                    + "\" and \"" + lake.name + "\"";
            return false;
        }
    }
    for (int column : layout.columnOf)
        lake.batchTexts.push_back(fieldText(record, column));
    lake.alkalinity = fieldText(record, layout.alkalinity);
    lake.alkalinityUnit = fieldText(record, layout.alkalinityUnit);
    table.lakes.push_back(std::move(lake));
    return true;
}

}  // namespace

LakesTableReading readLakesTable(const batch::ReadFunction& read)
{
    LakesTableReading reading;
    batch::RecordChunker chunker(read);
    batch::CsvRecord record;
    if (!chunker.readHeader(record)) {
        reading.error = "the lakes table has no header row";
        return reading;
    }
    LakesTable table;
    const std::optional<LakesLayout> layout = lakesLayout(record, table, reading.error);
    if (!layout)
        return reading;
    std::unordered_map<std::string, int> lakeNamed;
    std::uint64_t row = 0;
    batch::RecordChunker::Chunk chunk;
    while (chunker.nextChunk(chunk)) {
        if (chunk.skippedLongRecord) {
            reading.error = "row " + std::to_string(row + 1) + " of the lakes table is too long";
            return reading;
        }
        for (std::size_t pos = 0; pos < chunk.records.size();) {
            pos = batch::scanCsvRecord(chunk.records, pos, true, &record);
            if (record.isBlank())
                continue;
            if (!addLake(record, *layout, ++row, table, lakeNamed, reading.error))
                return reading;
        }
    }
    reading.table = std::move(table);
    return reading;
}

}  // namespace trophex::samples
