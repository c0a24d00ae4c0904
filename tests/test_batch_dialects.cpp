// How tables are read as people write them: column titles, units in titles, separators and
// decimal commas, and the rows a spreadsheet would show.

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/csv.h"
#include "batch/resulttable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace trophex;
using namespace trophex::batch;

namespace {

CsvRecord recordOf(std::string_view line, char separator = ',')
{
    CsvRecord record;
    scanCsvRecord(line, 0, true, &record, separator);
    return record;
}

// A header of the required columns with the one of the tested input given the title.
std::string headerWith(const std::string& title, Input input)
{
    const std::pair<Input, const char*> required[] = {
        {Input::EcoRegComboBox, "ecoregion"}, {Input::WareaEditBox, "watershed_area"},
        {Input::LareaEditBox, "lake_area"},   {Input::DepthEditBox, "mean_depth"},
        {Input::TPeditBox, "tp"},             {Input::ChlrAeditBox, "chla"},
        {Input::SechiEditBox, "secchi"}};
    std::string header = title;
    for (const auto& [other, name] : required)
        if (other != input)
            header += std::string(",") + name;
    return header;
}

struct TitleCase {
    const char* title;
    Input input;
    const char* unit;  // the unit the title gives, or nullptr
};

TEST(BatchHeader, TitlesAsPeopleWriteThem)
{
    const TitleCase cases[] = {
        {"Lake Name", Input::NameEditBox, nullptr},
        {"lake-name", Input::NameEditBox, nullptr},
        {"Name (official)", Input::NameEditBox, nullptr},  // a note, not a unit
        {"WATERSHED_AREA", Input::WareaEditBox, nullptr},
        {"Watershed Area", Input::WareaEditBox, nullptr},
        {"Surface Area (km\xC2\xB2)", Input::LareaEditBox, "km2"},
        {"Mean Depth [FT]", Input::DepthEditBox, "ft"},
        {"Total Phosphorus (\xC2\xB5g/L)", Input::TPeditBox, "ug/L"},
        {"Chlorophyll a", Input::ChlrAeditBox, nullptr},
        {"Secchi Disk", Input::SechiEditBox, nullptr},
        {"Secchi depth (ft)", Input::SechiEditBox, "ft"},
        {"Secchi Disk Units", Input::SechiUnitComboBox, nullptr},
        {"Runoff (m/yr)", Input::RunoffEditBox, nullptr},
        {"Atmospheric P Load (kg/km2/yr)", Input::AtmosEditBox, nullptr},
    };
    for (const TitleCase& c : cases) {
        const HeaderReading reading = readHeader(recordOf(headerWith(c.title, c.input)));
        ASSERT_TRUE(reading.layout) << c.title << ": " << reading.error;
        EXPECT_EQ(reading.layout->columnOf[static_cast<int>(c.input)], 0) << c.title;
        EXPECT_TRUE(reading.layout->ignoredNames.empty()) << c.title;
        const char* unit = reading.layout->titleUnits[static_cast<int>(c.input)];
        EXPECT_STREQ(unit ? unit : "", c.unit ? c.unit : "") << c.title;
    }
}

TEST(BatchHeader, AUnitTheInputCannotHaveMakesTheHeaderUnusable)
{
    EXPECT_EQ(readHeader(recordOf(headerWith("Secchi depth (furlongs)", Input::SechiEditBox))).error,
              "the column \"Secchi depth (furlongs)\" names the unknown unit \"furlongs\"");
    EXPECT_EQ(readHeader(recordOf(headerWith("Runoff (in/yr)", Input::RunoffEditBox))).error,
              "the column \"Runoff (in/yr)\" must be in m/yr");
}

TEST(BatchRow, AUnitFieldWinsOverTheTitlesUnit)
{
    const ColumnLayout layout =
        *readHeader(recordOf("ecoregion,watershed_area,lake_area,Mean Depth (ft),mean_depth_unit,tp,chla,"
                             "Secchi (ft)"))
             .layout;
    InputTexts texts;
    ASSERT_EQ(errorMessage(rowInputs(recordOf("NLF,1,2,10,,4,5,6"), layout, texts)), "");
    EXPECT_EQ(texts[Input::DepthComboBox], "ft");
    EXPECT_EQ(texts[Input::SechiUnitComboBox], "ft");
    ASSERT_EQ(errorMessage(rowInputs(recordOf("NLF,1,2,10,M,4,5,6"), layout, texts)), "");
    EXPECT_EQ(texts[Input::DepthComboBox], "m");
    // A row that fails on its ecoregion keeps its units, to be shown and opened with its values.
    ASSERT_EQ(errorMessage(rowInputs(recordOf("XXX,1,2,10,,4,5,6"), layout, texts)), "Unknown ecoregion \"XXX\"!");
    EXPECT_EQ(texts[Input::DepthComboBox], "ft");
    EXPECT_EQ(texts[Input::SechiUnitComboBox], "ft");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("XXX,1,2,10,furlongs,4,5,6"), layout, texts)),
              "Unknown ecoregion \"XXX\"!");
}

TEST(CsvDialect, TheHeaderRowsMostFrequentSeparatorOutsideQuotes)
{
    const std::pair<const char*, char> cases[] = {
        {"name,ecoregion;x", ','},      {"name;ecoregion;runoff (m/yr)", ';'}, {"name\tecoregion\tx", '\t'},
        {"\"a;b;c\",ecoregion", ','},   {"name", ','},                          {"a;b\nc,d,e,f", ';'},
        {"a,b;c;d\tx", ';'},            {"a\tb\tc;d;e", ';'},
    };
    for (const auto& [header, separator] : cases)
        EXPECT_EQ(detectCsvDialect(header, 0).separator, separator) << header;
}

ReadFunction readerOf(const std::string& input)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [&input, pos](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min(capacity, input.size() - *pos);
        input.copy(buffer, n, *pos);
        *pos += n;
        return n;
    };
}

std::string runTable(const std::string& input, ResultStyle style = ResultStyle::Display)
{
    std::string output;
    BatchSettings settings;
    settings.style = style;
    const BatchSummary summary =
        runBatch(readerOf(input), [&](std::string_view bytes) { output += bytes; }, settings);
    EXPECT_TRUE(summary.ok()) << summary.error;
    return output;
}

std::string replaced(std::string text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

TEST(BatchDialect, SemicolonAndTabTablesAreWrittenInTheirOwnDialect)
{
    const std::string header = "name,ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi,runoff\n";
    const std::string commaTable = header + "Lake 1.5,NLF,12000.5,400,5,30,10,2.5,0.25\n";
    const std::string semicolonTable =
        replaced(header, ',', ';') + "Lake 1.5;NLF;12000,5;400;5;30;10;2.5;0,25\n";  // a full stop reads too
    for (const ResultStyle style : {ResultStyle::Display, ResultStyle::Raw}) {
        const std::string commaResults = runTable(commaTable, style);
        const auto inDialect = [&](char separator) {
            std::string rows;
            appendRowsInDialect(rows, commaResults, CsvDialect{separator});
            return rows;
        };
        const std::string semicolonResults = runTable(semicolonTable, style);
        EXPECT_EQ(semicolonResults, inDialect(';'));
        const std::string tabResults = runTable(replaced(commaTable, ',', '\t'), style);
        EXPECT_EQ(tabResults, inDialect('\t'));
        EXPECT_EQ(tabResults.find('"'), std::string::npos);  // grouped numbers need no quotes there

        // Numbers have a decimal comma and no thousands separator; the name is kept as written.
        CsvRecord row;
        scanCsvRecord(semicolonResults, semicolonResults.find('\n') + 1, true, &row, ';');
        EXPECT_EQ(row[0], "Lake 1.5");
        for (std::size_t i = 1; i < row.size(); ++i)
            EXPECT_EQ(std::string(row[i]).find('.'), std::string::npos) << row[i];
    }
    EXPECT_NE(runTable(commaTable).find("\"3,"), std::string::npos);  // a grouped number to convert
}

TEST(ResultTable, RowNumbersAreTheSpreadsheetsRows)
{
    // Blank lines and blank records count; a quoted line end does not start a row. Enough
    // rows to fill several chunks.
    std::string input = "\n\nname,ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi\r\n";
    std::vector<std::uint64_t> expected;
    std::uint64_t row = 3;
    for (int lake = 0; lake < 30000; ++lake) {
        const bool multiLine = lake % 5 == 0;
        input += multiLine ? "\"Lake\nwith a note\"" : "Lake";
        input += ",NLF,10,1,5,30,10,2\r\n";
        expected.push_back(++row);
        if (lake % 7 == 3) {
            input += lake % 2 ? "\r\n" : ",,,\r\n";
            ++row;
        }
    }
    ResultTable table;
    const BatchSummary summary = runBatch(readerOf(input), table.consumer(), BatchSettings{});
    ASSERT_TRUE(summary.ok()) << summary.error;
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t lake = 0; lake < table.size(); ++lake)
        ASSERT_EQ(table.spreadsheetRow(lake), expected[lake]) << lake;
}

}  // namespace
