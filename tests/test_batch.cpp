#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/csv.h"
#include "batch/lakegenerator.h"
#include "arithmetic/shortestnumber.h"
#include "model/calculation.h"
#include "response/responseresults.h"

#include "examples/examplelake.h"
#include "tests/result_texts.h"
#include "tests/test_locales.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstring>
#include <random>
#include <cstdlib>
#include <stdexcept>
#include <vector>

using namespace trophex;
using namespace trophex::batch;

namespace {

std::vector<std::string> fieldsOf(const CsvRecord& record)
{
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.size(); ++i)
        fields.emplace_back(record[i]);
    return fields;
}

// Every record of the data, read as a whole.
std::vector<std::vector<std::string>> parseAll(std::string_view data)
{
    std::vector<std::vector<std::string>> records;
    CsvRecord record;
    for (std::size_t pos = 0; pos < data.size();) {
        pos = scanCsvRecord(data, pos, true, &record);
        records.push_back(fieldsOf(record));
    }
    return records;
}

CsvRecord recordOf(std::string_view line)
{
    CsvRecord record;
    scanCsvRecord(line, 0, true, &record);
    return record;
}

// Feeds the text a few bytes at a time, so that reads end inside records and quotes.
ReadFunction readerOf(const std::string& text, std::size_t piece = 7)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [text, pos, piece](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({capacity, piece, text.size() - *pos});
        text.copy(buffer, n, *pos);
        *pos += n;
        return n;
    };
}

struct BatchRun {
    BatchSummary summary;  // what runBatch reported
    std::string output;    // what it wrote
};

BatchRun runOn(const std::string& input, ResultStyle style = ResultStyle::Display, unsigned workers = 2,
               std::optional<ResponseSettings> response = std::nullopt)
{
    BatchRun run;
    BatchSettings settings;
    settings.style = style;
    settings.workers = workers;
    settings.response = response;
    run.summary = runBatch(readerOf(input), [&](std::string_view bytes) { run.output += bytes; }, settings);
    return run;
}

// The result rows (header excluded), each split into its fields.
std::vector<std::vector<std::string>> resultRows(const BatchRun& run)
{
    auto rows = parseAll(run.output);
    EXPECT_FALSE(rows.empty());
    if (!rows.empty())
        rows.erase(rows.begin());
    return rows;
}

const std::string ExampleHeader =
    "name,ecoregion,watershed_area,watershed_area_unit,lake_area,lake_area_unit,mean_depth,"
    "total_phosphorus,chlorophyll_a,secchi_depth,alkalinity,alkalinity_unit\n";
const std::string ExampleRow = "Example Lake,NLF,10,km2,1,km2,5,30,10,2,1,meq/L\n";

}  // namespace

namespace {

std::string shortestFromPrintf(double value)
{
    std::string text;
    appendShortestNumberFromPrintf(text, value);
    return text;
}

}  // namespace

TEST(ShortestNumber, FixedOrScientificWhicheverIsShorter)
{
    EXPECT_EQ(shortestFromPrintf(0.1), "0.1");
    EXPECT_EQ(shortestFromPrintf(-2.5), "-2.5");
    EXPECT_EQ(shortestFromPrintf(100), "100");
    EXPECT_EQ(shortestFromPrintf(1e20), "1e+20");
    EXPECT_EQ(shortestFromPrintf(157201773620375486464.0), "157201773620375486464");  // every digit, as %f
    EXPECT_EQ(shortestFromPrintf(0.000001), "1e-06");
    EXPECT_EQ(shortestFromPrintf(0.0001), "1e-04");
    EXPECT_EQ(shortestFromPrintf(0.001), "0.001");
    EXPECT_EQ(shortestFromPrintf(5e-324), "5e-324");
    EXPECT_EQ(shortestFromPrintf(0.0), "0");
}

// WebAssembly has the C locale only; Windows' C library names its locales otherwise.
#if !defined(__EMSCRIPTEN__) && !defined(_WIN32)
TEST(ShortestNumber, PrintfPathIgnoresTheLocalesDecimalPoint)
{
    ASSERT_TRUE(trophex::testing::testLocalesAvailable()) << "needs the system's locale sources (package locales)";
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    std::vector<std::string> texts;
    for (const double value : {0.1, -2.5, 1234.5678, 1e20, 0.000001, 6.02214076e23})
        texts.push_back(shortestFromPrintf(value));
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(texts, (std::vector<std::string>{"0.1", "-2.5", "1234.5678", "1e+20", "1e-06", "6.02214076e+23"}));
}
#endif

#if defined(__cpp_lib_to_chars)
TEST(ShortestNumber, PrintfDigitsAreWhatToCharsWrites)
{
    std::mt19937_64 random(11);
    for (int i = 0; i < 50000; ++i) {
        std::uint64_t bits = random();
        if (i % 2 == 0)  // the magnitudes of results, too
            bits = (bits & 0x800FFFFFFFFFFFFFu) | (std::uint64_t{1003 + random() % 40} << 52);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        char buffer[32];
        const std::string expected(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
        ASSERT_EQ(shortestFromPrintf(value), expected);
    }
}
#endif

TEST(CsvReader, QuotedFieldsHoldCommasQuotesAndLineEnds)
{
    const auto records = parseAll("a,\"b, c\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",x\rlast,\"\"\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b, c", "say \"hi\""}));
    EXPECT_EQ(records[1], (std::vector<std::string>{"two\r\nlines", "x"}));
    EXPECT_EQ(records[2], (std::vector<std::string>{"last", ""}));
}

TEST(CsvReader, ToleratesStrayQuotesAndReportsAnUnterminatedOne)
{
    EXPECT_EQ(fieldsOf(recordOf("Lake \"Big\" One,\"Bay\" North,x\n")),
              (std::vector<std::string>{"Lake \"Big\" One", "Bay North", "x"}));
    const CsvRecord open = recordOf("a,\"never closed\nb,c");
    EXPECT_TRUE(open.unterminatedQuote());
    EXPECT_EQ(fieldsOf(open), (std::vector<std::string>{"a", "never closed\nb,c"}));
}

TEST(CsvReader, WaitsForMoreDataWhereTheRecordMayGoOn)
{
    constexpr std::size_t Incomplete = std::string_view::npos;
    EXPECT_EQ(scanCsvRecord("a,b", 0, false, nullptr), Incomplete);
    EXPECT_EQ(scanCsvRecord("a,\"b\nc", 0, false, nullptr), Incomplete);
    EXPECT_EQ(scanCsvRecord("a,\"b\"", 0, false, nullptr), Incomplete);  // a doubled quote may follow
    EXPECT_EQ(scanCsvRecord("a,b\r", 0, false, nullptr), Incomplete);    // an LF may follow
    EXPECT_EQ(scanCsvRecord("a,b\r\nc", 0, false, nullptr), 5u);
    EXPECT_EQ(scanCsvRecord("a,b", 0, true, nullptr), 3u);
}

TEST(CsvWriter, QuotesOnlyWhatNeedsIt)
{
    std::string out;
    for (const char* text : {"plain", "a,b", "say \"hi\"", "two\nlines", ""}) {
        appendCsvField(out, text);
        out += ',';
    }
    EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",,");
    EXPECT_EQ(parseAll(out + "\n")[0],
              (std::vector<std::string>{"plain", "a,b", "say \"hi\"", "two\nlines", "", ""}));
}

TEST(BatchHeader, UnderstandsHydrologicalAndControlNames)
{
    const HeaderReading reading = readHeader(recordOf(
        "Lake,Ecoregion,Watershed Area,WareaComboBox,surface-area,LAKE_AREA_UNIT,MeanDepth,TP,chla,"
        "Secchi Depth,Comments,V2Editbox,S1EditBox"));
    ASSERT_TRUE(reading.layout) << reading.error;
    const ColumnLayout& layout = *reading.layout;
    const auto columnOf = [&](Input input) { return layout.columnOf[static_cast<int>(input)]; };
    EXPECT_EQ(columnOf(Input::NameEditBox), 0);
    EXPECT_EQ(columnOf(Input::WareaEditBox), 2);
    EXPECT_EQ(columnOf(Input::WareaComboBox), 3);
    EXPECT_EQ(columnOf(Input::LareaEditBox), 4);
    EXPECT_EQ(columnOf(Input::LareaComboBox), 5);
    EXPECT_EQ(columnOf(Input::TPeditBox), 7);
    EXPECT_EQ(columnOf(Input::SechiEditBox), 9);
    EXPECT_EQ(columnOf(Input::V2Editbox), 11);
    EXPECT_EQ(columnOf(Input::S1EditBox), 12);
    EXPECT_EQ(columnOf(Input::AlkalinityEditBox), -1);
    EXPECT_EQ(layout.ignoredNames, std::vector<std::string>{"Comments"});
}

TEST(BatchHeader, RejectsMissingAndDoubledColumns)
{
    EXPECT_EQ(readHeader(recordOf("name,ecoregion,watershed_area,lake_area,mean_depth,total_phosphorus,"
                                  "chlorophyll_a"))
                  .error,
              "the header has no secchi_depth column");
    EXPECT_EQ(readHeader(recordOf("ecoregion,watershed_area,WareaEditBox,lake_area,mean_depth,tp,chla,secchi"))
                  .error,
              "two columns give watershed_area");
}

TEST(BatchRow, CalibrationDefaultsComeFromTheRowsEcoregion)
{
    const ColumnLayout layout =
        *readHeader(recordOf("ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi,runoff,v3,s2")).layout;
    InputTexts texts;
    EXPECT_EQ(errorMessage(rowInputs(recordOf("wcp,1,2,3,4,5,6,,0.05,"), layout, texts)), "");
    EXPECT_EQ(texts[Input::EcoRegComboBox], "WCP");
    EXPECT_EQ(texts[Input::StreamEditBox], "570");   // absent column
    EXPECT_EQ(texts[Input::RunoffEditBox], "0.13");  // empty field
    EXPECT_EQ(texts[Input::V3EditBox], "0.05");      // given
    EXPECT_EQ(texts[Input::S2EditBox], "0.20");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("NGP,1,2,3,4,5,6, 0.4 ,,"), layout, texts)), "");
    EXPECT_EQ(texts[Input::StreamEditBox], "1500");
    EXPECT_EQ(texts[Input::RunoffEditBox], "0.4");
}

TEST(BatchRow, UnitsAreTheSelectorsOwnOrTheModelUnit)
{
    const ColumnLayout layout =
        *readHeader(recordOf("ecoregion,watershed_area,watershed_area_unit,lake_area,lake_area_unit,mean_depth,"
                             "mean_depth_unit,tp,tp_unit,chla,secchi,alkalinity,alkalinity_unit"))
             .layout;
    InputTexts texts;
    EXPECT_EQ(errorMessage(rowInputs(recordOf("NLF,100,ha,250,ACRES,10,FT,0.03,mg/l,5,2,50,"), layout, texts)), "");
    EXPECT_EQ(texts[Input::WareaComboBox], "HA");
    EXPECT_EQ(texts[Input::LareaComboBox], "Acres");
    EXPECT_EQ(texts[Input::DepthComboBox], "ft");
    EXPECT_EQ(texts[Input::TPunitComboBox], "mg/L");
    EXPECT_EQ(texts[Input::ChlrAunitComboBox], "ug/L");        // absent column
    EXPECT_EQ(texts[Input::AlkalinityUnitComboBox], "meq/L");  // empty field
    EXPECT_EQ(errorMessage(rowInputs(recordOf("NLF,100,hectares,250,,10,,1,,5,2,,"), layout, texts)),
              "Unknown unit \"hectares\"!");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Northern,100,,250,,10,,1,,5,2,,"), layout, texts)),
              "Unknown ecoregion \"Northern\"!");
}

TEST(BatchRow, FieldCountsAndEncodings)
{
    const ColumnLayout layout =
        *readHeader(recordOf("name,ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi")).layout;
    InputTexts texts;
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Short,NLF,1,2"), layout, texts)), "Too few fields!");
    EXPECT_EQ(texts[Input::NameEditBox], "Short");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Long,NLF,1,2,3,4,5,6,7"), layout, texts)), "Too many fields!");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Padded,NLF,1,2,3,4,5,6,,"), layout, texts)), "");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("\"Open,NLF,1,2,3,4,5,6"), layout, texts)), "Unterminated quoted field!");
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Sj\xF6 \x80,NLF,1,2,3,4,5,6"), layout, texts)), "");
    EXPECT_EQ(texts[Input::NameEditBox], "Sj\xC3\xB6 \xE2\x82\xAC");  // Windows-1252 read as such
    EXPECT_EQ(errorMessage(rowInputs(recordOf("Sj\xC3\xB6,NLF,1,2,3,4,5,6"), layout, texts)), "");
    EXPECT_EQ(texts[Input::NameEditBox], "Sj\xC3\xB6");  // UTF-8 kept
}

TEST(Batch, WorkedExampleRowShowsTheWindowsTexts)
{
    const BatchRun run = runOn(ExampleHeader + ExampleRow);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    const auto rows = resultRows(run);
    ASSERT_EQ(rows.size(), 1u);
    const CalculationOutcome window = runCalculation(exampleLake(), NumberFormat{});
    ASSERT_TRUE(window.ok());
    std::vector<std::string> expected = {"Example Lake"};
    const std::vector<std::string> texts = allResultTexts(window.texts);
    expected.insert(expected.end(), texts.begin(), texts.end());
    expected.push_back("ok");
    EXPECT_EQ(rows[0], expected);
    EXPECT_EQ(rows[0][1], "2.43");  // outflow
    EXPECT_EQ(rows[0][7], "0.60");  // retention
    EXPECT_EQ(rows[0][9], "22");    // predicted phosphorus
    EXPECT_EQ(rows[0].size(), 2 + resultColumnCount());
}

TEST(Batch, BadRowsGetTheirStatusAndTheBatchGoesOn)
{
    const std::string input = ExampleHeader + "Short,NLF,10,km2\n" + "Letters,NLF,ten,km2,1,km2,5,30,10,2,1,meq/L\n"
                              + "Dry,NLF,10,km2,0,km2,5,30,10,2,1,meq/L\n" + "\n,,,,,,,,,,,\n" + ExampleRow;
    const BatchRun run = runOn(input);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    const auto rows = resultRows(run);
    ASSERT_EQ(rows.size(), 4u);  // blank lines give no row
    const auto statusOf = [](const std::vector<std::string>& row) { return row.back(); };
    EXPECT_EQ(statusOf(rows[0]), "Too few fields!");
    EXPECT_EQ(statusOf(rows[1]), "Invalid Input Parameter!");
    EXPECT_EQ(statusOf(rows[2]), "Floating point division by zero");
    EXPECT_EQ(rows[2][1], "");  // a failed row has no results
    EXPECT_EQ(statusOf(rows[3]), "ok");
    EXPECT_EQ(rows[3][0], "Example Lake");
    EXPECT_EQ(run.summary.totals.lakes, 4u);
    EXPECT_EQ(run.summary.totals.failed, 3u);
    EXPECT_EQ(run.summary.totals.inputBytes, input.size());  // the progress bar reaches 100%
}

TEST(Batch, ByteOrderMarkAndLineEndsAreKept)
{
    const BatchRun run = runOn("\xEF\xBB\xBF" + std::string("name,ecoregion,watershed_area,lake_area,mean_depth,tp,"
                                                             "chla,secchi\r\nA,NLF,10,1,5,30,10,2\r\n"));
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    EXPECT_EQ(run.output.rfind("\xEF\xBB\xBFname,", 0), 0u);
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 2);
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\r'), 2);
    EXPECT_EQ(resultRows(run)[0][0], "A");
}

TEST(Batch, ResultsTakeTheLineEndOfTheHeaderRow)
{
    const std::string header = "name,ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi";
    const std::string row = "A,NLF,10,1,5,30,10,2";
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
        const BatchRun run = runOn(header + lineEnd + row + lineEnd + row);
        ASSERT_TRUE(run.summary.ok()) << run.summary.error;
        const bool cr = lineEnd[0] == '\r';
        const bool lf = lineEnd.back() == '\n';
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\r'), cr ? 3 : 0);
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), lf ? 3 : 0);
        EXPECT_EQ(run.output.substr(run.output.size() - lineEnd.size()), lineEnd);
        EXPECT_EQ(resultRows(run).size(), 2u);
    }
}

TEST(Batch, OrderIsKeptWhateverTheNumberOfThreads)
{
    std::string table;
    writeSyntheticLakes(12000, 7, [&](std::string_view bytes) { table += bytes; });
    ASSERT_GT(table.size(), 3 * RecordChunker::ChunkBytes);
    const BatchRun one = runOn(table, ResultStyle::Display, 1);
    const BatchRun four = runOn(table, ResultStyle::Display, 4);
    ASSERT_TRUE(one.summary.ok() && four.summary.ok());
    EXPECT_EQ(one.output, four.output);
    const auto rows = resultRows(four);
    ASSERT_EQ(rows.size(), 12000u);
    EXPECT_EQ(rows.front()[0], "Lake 0000001");
    EXPECT_NE(rows.back()[0].find("0012000"), std::string::npos);
    const auto failed = std::count_if(rows.begin(), rows.end(), [](const auto& r) { return r.back() != "ok"; });
    EXPECT_LT(failed, 100);  // a few lakes lack their Secchi depth
}

TEST(Batch, RawNumbersReadBackAsTheModelsValues)
{
    const BatchRun run = runOn(ExampleHeader + ExampleRow + "NoAlkalinity,NLF,10,km2,1,km2,5,30,10,2,,\n",
                               ResultStyle::Raw);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    const auto rows = resultRows(run);
    const CalculationOutcome window = runCalculation(exampleLake(), NumberFormat{});
    const auto number = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    EXPECT_EQ(number(rows[0][1]), window.state.OutVol);
    EXPECT_EQ(number(rows[0][7]), static_cast<double>(window.values[Result::PhosRet]));
    EXPECT_EQ(number(rows[0][9]), static_cast<double>(window.values[Result::TPPredicted]));
    EXPECT_EQ(number(rows[0][39]), static_cast<double>(window.values[Result::AvgTSI]));
    EXPECT_GT(rows[0][3].size(), 6u);  // 2.0576..., not the displayed 2.1
    EXPECT_EQ(rows[1][6], "NA");       // no Chiaudani/Vighi phosphorus without alkalinity
}

TEST(Batch, AnOverlongRowIsSkippedAndReported)
{
    const std::string longName(RecordChunker::MaxRecordBytes + 10, 'x');
    const BatchRun run = runOn(ExampleHeader + "\"" + longName + ",NLF\n" + ExampleRow);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    const auto rows = resultRows(run);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].back(), "Row too long!");
    EXPECT_EQ(rows[1][0], "Example Lake");
    EXPECT_EQ(rows[1].back(), "ok");
}

TEST(Batch, TableProblemsStopTheRun)
{
    EXPECT_EQ(runOn("").summary.error, "the input has no header row");
    EXPECT_EQ(runOn("name,ecoregion\nA,NLF\n").summary.error, "the header has no watershed_area column");
    BatchSettings settings;
    const BatchSummary failedRead = runBatch([](char*, std::size_t) -> std::size_t {
        throw std::runtime_error("cannot read table.csv: Input/output error");
    }, [](std::string_view) {}, settings);
    EXPECT_EQ(failedRead.error, "cannot read table.csv: Input/output error");
}

TEST(LakeGenerator, SameSeedSameLakes)
{
    std::string a, b, c;
    writeSyntheticLakes(200, 3, [&](std::string_view bytes) { a += bytes; });
    writeSyntheticLakes(200, 3, [&](std::string_view bytes) { b += bytes; });
    writeSyntheticLakes(200, 4, [&](std::string_view bytes) { c += bytes; });
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(parseAll(a).size(), 201u);
}

// A target adds the load response columns before the status, as the model's table names
// them, with the response the model gives each row; failed rows keep the row's width.
TEST(Batch, TargetAddsTheLoadResponseColumns)
{
    const std::string input = ExampleHeader + ExampleRow + "Letters,NLF,ten,km2,1,km2,5,30,10,2,1,meq/L\n" +
                              "Prairie,NGP,10,km2,1,km2,5,30,10,2,1,meq/L\n";
    const ResponseSettings ecoregion{*readTargetSpec("ecoregion").target, std::nullopt};
    for (ResultStyle style : {ResultStyle::Display, ResultStyle::Raw}) {
        const BatchRun run = runOn(input, style, 2, ecoregion);
        ASSERT_TRUE(run.summary.ok()) << run.summary.error;
        const auto table = parseAll(run.output);
        ASSERT_EQ(table.size(), 4u);
        const std::vector<std::string>& header = table[0];
        const auto column = [&](const char* name) {
            return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
        };
        std::size_t added = 0;
        for (const ResponseFieldSpec& desc : responseFieldTable()) {
            if (desc.batchColumn == nullptr)
                continue;
            EXPECT_EQ(column(desc.batchColumn), 1 + resultColumnCount() + added++) << desc.batchColumn;
        }
        EXPECT_EQ(header.back(), "status");
        for (const auto& row : table)
            EXPECT_EQ(row.size(), header.size());

        const CalculationOutcome example = runCalculation(exampleLake(), NumberFormat{});
        const LoadResponse expected =
            evaluateGoal(example.state, resolveTarget(TargetSpec{}, "NLF"), ResponseMode::Anchored);
        EXPECT_EQ(table[1][column("target_status")], "needed");
        EXPECT_EQ(table[1][column("target")], "TP at most 27.6 ug/L, the top of the NLF range (TSI 52)");
        const std::string reduction = table[1][column("reduction_pct")];
        if (style == ResultStyle::Raw)
            EXPECT_EQ(std::stod(reduction), 100 * expected.goal.reduction);
        else
            EXPECT_EQ(reduction, "12.1");
        EXPECT_EQ(table[2][column("target")], "");  // a row that did not calculate has no response
        EXPECT_EQ(table[2].back(), "Invalid Input Parameter!");
        EXPECT_EQ(table[3][column("target_status")], "met");  // 30 ug/L is well inside the NGP range
    }

    const BatchRun model = runOn(ExampleHeader + ExampleRow, ResultStyle::Display, 1,
                                 ResponseSettings{*readTargetSpec("tp=1").target, ResponseMode::Model});
    const auto rows = resultRows(model);
    ASSERT_EQ(rows.size(), 1u);
    const std::size_t first = 1 + resultColumnCount();
    EXPECT_EQ(rows[0][first + 4], "unreachable");
    EXPECT_EQ(rows[0][first + 5], "atmospheric_load");
    EXPECT_EQ(rows[0][first + 6], "NA");  // no reduction answers it
}

TEST(BatchHeader, DoubledNamelessAndTrailingColumns)
{
    // A doubled input column is refused whichever of its names each column uses; a doubled
    // column that names no input is ignored like any other.
    EXPECT_EQ(readHeader(recordOf("ecoregion,watershed_area,lake_area,mean_depth,TP,total phosphorus,chla,secchi"))
                  .error,
              "two columns give total_phosphorus");
    const HeaderReading notes =
        readHeader(recordOf("ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi,Notes,notes"));
    ASSERT_TRUE(notes.layout) << notes.error;
    EXPECT_EQ(notes.layout->ignoredNames, (std::vector<std::string>{"Notes", "notes"}));

    // Empty header cells, inside the header or after its last name, are columns without a
    // name: ignored without a note, whatever their rows hold.
    const std::string header = "name, ,ecoregion,watershed_area,lake_area,mean_depth,tp,chla,secchi,,\n";
    const HeaderReading nameless = readHeader(recordOf(header));
    ASSERT_TRUE(nameless.layout) << nameless.error;
    EXPECT_TRUE(nameless.layout->ignoredNames.empty());
    EXPECT_EQ(nameless.layout->fieldCount, 11u);
    const BatchRun run = runOn(header + "A,note,NLF,10,1,5,30,10,2,kept,out\n"  // text under nameless cells
                               + "B,,NLF,10,1,5,30,10,2\n"                      // fewer fields than the header
                               + "C,,NLF,10,1,5,30,10,2,,,,\n"                  // empty fields past the header
                               + "D,,NLF,10,1,5,30,10,2,,,past\n");             // text past the header
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    const auto rows = resultRows(run);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].back(), "ok");
    EXPECT_EQ(rows[1].back(), "Too few fields!");
    EXPECT_EQ(rows[2].back(), "ok");
    EXPECT_EQ(rows[3].back(), "Too many fields!");
}
