#include "batch/batchpipeline.h"
#include "batch/csv.h"
#include "batch/lakesview.h"
#include "samples/chunkparser.h"
#include "samples/samplegenerator.h"
#include "samples/samplesrun.h"
#include "samples/trends.h"
#include "model/tsi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

using namespace trophex;
using namespace trophex::samples;

namespace {

// ---- helpers ----

batch::ReadFunction readerOf(const std::string& text, std::size_t piece = 1 << 16)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [text, pos, piece](char* buffer, std::size_t capacity) {
        const std::size_t n = text.copy(buffer, std::min(capacity, piece), *pos);
        *pos += n;
        return n;
    };
}

std::string fileText(const std::string& name)
{
    std::ifstream file("examples/" + name, std::ios::binary);  // the tests run in the source folder
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

const char* const WqpColumns[] = {
    "MonitoringLocationIdentifier", "ActivityStartDate", "ActivityTypeCode", "CharacteristicName",
    "ResultSampleFractionText", "ResultMeasureValue", "ResultMeasure/MeasureUnitCode", "ResultDetectionConditionText",
    "DetectionQuantitationLimitMeasure/MeasureValue", "DetectionQuantitationLimitMeasure/MeasureUnitCode",
    "ActivityDepthHeightMeasure/MeasureValue", "ActivityDepthHeightMeasure/MeasureUnitCode",
    "ActivityTopDepthHeightMeasure/MeasureValue", "ActivityBottomDepthHeightMeasure/MeasureValue",
    "ActivityBottomDepthHeightMeasure/MeasureUnitCode", "ActivityRelativeDepthName"};

// A Water Quality Portal table of one result: phosphorus of 20 ug/L on 2021-07-01 at site
// S, with the given columns changed (named by the keys below).
std::string wqpTable(const std::map<std::string, std::string>& changes)
{
    std::map<std::string, std::string> row = {{"site", "S"},         {"date", "2021-07-01"}, {"type", "Sample-Routine"},
                                              {"name", "Phosphorus"}, {"fraction", "Total"},  {"value", "20"},
                                              {"unit", "ug/L"}};
    for (const auto& change : changes)
        row[change.first] = change.second;
    const char* const keys[] = {"site",  "date",      "type",  "name",    "fraction", "value", "unit",   "condition",
                                "limit", "limitUnit", "depth", "depthUnit", "top",    "bottom", "bottomUnit", "relative"};
    std::string table;
    std::string line;
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        table += std::string(i ? "," : "") + WqpColumns[i];
        line += i ? "," : "";
        batch::appendCsvField(line, row[keys[i]]);
    }
    return table + "\n" + line + "\n";
}

// What became of the one result of a table: its value in the model's unit, or the reason.
struct Outcome {
    std::optional<double> value;
    std::optional<SkipReason> reason;
    int slot = -1;
};

Outcome outcomeOf(const std::string& table, const SampleRules& rules = {}, const LakesTable* lakes = nullptr)
{
    batch::CsvRecord header;
    const std::size_t headerEnd = batch::scanCsvRecord(table, 0, true, &header);
    const SampleHeaderReading reading = readSampleHeader(header);
    EXPECT_TRUE(reading.layout) << reading.error;
    const ParsedChunk chunk = ChunkParser(*reading.layout, rules, lakes).parse(table.substr(headerEnd));
    EXPECT_EQ(chunk.counts.results, 1u);
    Outcome outcome;
    if (!chunk.results.empty()) {
        outcome.value = chunk.results.front().value;
        outcome.slot = chunk.results.front().slot;
    }
    for (int i = 0; i < SkipReasonCount; ++i)
        if (chunk.counts.skipped[i])
            outcome.reason = static_cast<SkipReason>(i);
    return outcome;
}

// The value in the model's unit, or the reason for skipping.
struct Expected {
    Expected(double value) : value(value) {}
    Expected(SkipReason reason) : reason(reason) {}
    std::optional<double> value;
    SkipReason reason = SkipReason::RowTooLong;
};

struct Case {
    const char* what;
    std::map<std::string, std::string> changes;
    Expected expected;
};

void expectCases(const std::vector<Case>& cases, const SampleRules& rules = {})
{
    for (const Case& c : cases) {
        const Outcome outcome = outcomeOf(wqpTable(c.changes), rules);
        if (c.expected.value) {
            ASSERT_TRUE(outcome.value) << c.what << ": skipped as " << skipReasonText(*outcome.reason);
            EXPECT_DOUBLE_EQ(*outcome.value, *c.expected.value) << c.what;
        } else {
            ASSERT_TRUE(outcome.reason) << c.what << ": accepted";
            EXPECT_STREQ(skipReasonText(*outcome.reason), skipReasonText(c.expected.reason)) << c.what;
        }
    }
}

// ---- the rules, one table of cases each ----

TEST(SampleRules, CharacteristicsAndFractions)
{
    expectCases({
        {"phosphorus, total", {}, 20},
        {"phosphorus without fraction", {{"fraction", ""}}, 20},
        {"letter case and spaces", {{"name", "  PHOSPHORUS "}, {"fraction", "total"}}, 20},
        {"dissolved phosphorus", {{"fraction", "Dissolved"}}, SkipReason::OtherCharacteristic},
        {"mixed forms", {{"name", "Total Phosphorus, mixed forms"}}, 20},
        {"chlorophyll", {{"name", "Chlorophyll a"}}, 20},
        {"probe reading", {{"name", "Chlorophyll a (probe)"}}, SkipReason::OtherCharacteristic},
        {"Secchi", {{"name", "Depth, Secchi disk depth"}, {"unit", "m"}, {"value", "2"}}, 2},
        {"alkalinity, total", {{"name", "Alkalinity, total"}, {"unit", "meq/L"}, {"value", "-0.5"}}, -0.5},
        {"alkalinity, dissolved", {{"name", "Alkalinity"}, {"fraction", "Dissolved"}},
         SkipReason::OtherCharacteristic},
        {"temperature", {{"name", "Temperature, water"}}, SkipReason::OtherCharacteristic},
        {"quality control", {{"type", "Quality Control Sample-Field Blank"}}, SkipReason::QualityControl},
        {"quality control in lower case", {{"type", "quality control-lab"}}, SkipReason::QualityControl},
    });
    SampleRules probes;
    probes.probeChlorophyll = true;
    expectCases({{"probe reading with --probe-chlorophyll", {{"name", "Chlorophyll a (probe)"}}, 20}}, probes);
}

TEST(SampleRules, ChlorophyllMethodsGoToTheirOwnSlots)
{
    EXPECT_EQ(outcomeOf(wqpTable({{"name", "Chlorophyll a, corrected for pheophytin"}})).slot, PreferredChlorophyllSlot);
    EXPECT_EQ(outcomeOf(wqpTable({{"name", "Chlorophyll a, free of pheophytin"}})).slot, PreferredChlorophyllSlot);
    EXPECT_EQ(outcomeOf(wqpTable({{"name", "Chlorophyll a, uncorrected for pheophytin"}})).slot,
              static_cast<int>(Parameter::ChlorophyllA));
}

TEST(SampleRules, UnitsAndValues)
{
    const auto secchi = [](const char* value, const char* unit) {
        return std::map<std::string, std::string>{{"name", "Depth, Secchi disk depth"}, {"value", value}, {"unit", unit}};
    };
    const auto alkalinity = [](const char* value, const char* unit) {
        return std::map<std::string, std::string>{{"name", "Alkalinity, total"}, {"value", value}, {"unit", unit}};
    };
    expectCases({
        {"mg/L", {{"value", "0.02"}, {"unit", "mg/L"}}, 20},
        {"mg/l as P", {{"value", "0.02"}, {"unit", "MG/L AS P"}}, 20},
        {"ppm", {{"value", "0.02"}, {"unit", "ppm"}}, 20},
        {"ppb", {{"unit", "ppb"}}, 20},
        {"mg/m3", {{"unit", "mg/m3"}}, 20},
        {"micro sign", {{"unit", "\xC2\xB5g/L"}}, 20},
        {"Greek mu", {{"unit", "\xCE\xBCg/l"}}, 20},
        {"micro sign in Windows-1252", {{"unit", "\xB5g/L"}}, 20},
        {"empty unit", {{"unit", ""}}, SkipReason::UnknownUnit},
        {"unknown unit", {{"unit", "mg/kg"}}, SkipReason::UnknownUnit},
        {"exponent", {{"value", "2.0e1"}}, 20},
        {"plus sign", {{"value", "+20"}}, 20},
        {"comma decimal", {{"value", "2,5"}}, SkipReason::UnreadableValue},
        {"text", {{"value", "n/a"}}, SkipReason::UnreadableValue},
        {"infinity", {{"value", "inf"}}, SkipReason::UnreadableValue},
        {"overflow", {{"value", "1e999"}}, SkipReason::UnreadableValue},
        {"overflow in the model's unit", {{"value", "1e308"}, {"unit", "mg/L"}}, SkipReason::UnreadableValue},
        {"zero", {{"value", "0"}}, SkipReason::UnreadableValue},
        {"negative", {{"value", "-3"}}, SkipReason::UnreadableValue},
        {"Secchi in feet", secchi("10", "ft"), 3.048},
        {"Secchi in inches", secchi("12", "in"), 0.3048},
        {"Secchi in cm", secchi("250", "cm"), 2.5},
        {"Secchi in ug/L", secchi("2", "ug/L"), SkipReason::UnknownUnit},
        {"alkalinity as CaCO3", alkalinity("150", "mg/l CaCO3"), 3},
        {"alkalinity in mg/L", alkalinity("50", "mg/L"), 1},
        {"alkalinity in ueq/L", alkalinity("500", "ueq/L"), 0.5},
        {"alkalinity of zero", alkalinity("0", "meq/L"), 0},
    });
}

TEST(SampleRules, NonDetects)
{
    const std::map<std::string, std::string> notDetected = {
        {"value", ""}, {"unit", ""}, {"condition", "Not Detected"}, {"limit", "0.01"}, {"limitUnit", "mg/L"}};
    auto withChange = [](std::map<std::string, std::string> row, const char* key, const char* value) {
        row[key] = value;
        return row;
    };
    expectCases({
        {"limit column in its unit", notDetected, 5},
        {"limit in the result's unit", withChange(withChange(notDetected, "limitUnit", ""), "unit", "ug/L"), 0.005},
        {"below detection limit", withChange(notDetected, "condition", "Below Detection Limit"), 5},
        {"below quantification", withChange(notDetected, "condition", "present below quantification limit"), 5},
        {"value written <x", {{"value", "<10"}}, 5},
        {"limit columns before <x", withChange(withChange(notDetected, "value", "<40"), "unit", "ug/L"), 5},
        {"no limit", withChange(notDetected, "limit", ""), SkipReason::NonDetectWithoutLimit},
        {"unreadable limit", withChange(notDetected, "limit", "ND"), SkipReason::UnreadableValue},
        {"other condition", {{"condition", "Detected Not Quantified"}}, SkipReason::OtherDetectionCondition},
    });
    const std::map<Censoring, Expected> byCensoring = {
        {Censoring::Half, 5.0}, {Censoring::Zero, 0.0}, {Censoring::Limit, 10.0},
        {Censoring::Drop, SkipReason::NonDetectDropped}};
    for (const auto& [censoring, expected] : byCensoring) {
        SampleRules rules;
        rules.censoring = censoring;
        expectCases({{"censoring", {{"value", "<10"}}, expected}}, rules);
    }
    // The long form's flag makes the value the detection limit.
    const Outcome flagged = outcomeOf("site,date,parameter,value,unit,flag\nS,2021-07-01,Phosphorus,0.01,mg/L,nd\n");
    EXPECT_DOUBLE_EQ(*flagged.value, 5);
}

TEST(SampleRules, Depths)
{
    expectCases({
        {"no depth", {}, 20},
        {"at 2 m", {{"depth", "2"}, {"depthUnit", "m"}}, 20},
        {"below 2 m", {{"depth", "2.1"}}, SkipReason::TooDeep},
        {"6 ft", {{"depth", "6"}, {"depthUnit", "ft"}}, 20},
        {"7 ft", {{"depth", "7"}, {"depthUnit", "ft"}}, SkipReason::TooDeep},
        {"integrated to 2 m", {{"top", "0"}, {"bottom", "200"}, {"bottomUnit", "cm"}}, 20},
        {"integrated to 4 m, top unused", {{"depth", "1"}, {"top", "0"}, {"bottom", "4"}}, SkipReason::TooDeep},
        {"relative depth decides", {{"depth", "9"}, {"relative", "Epilimnion"}}, 20},
        {"near surface", {{"relative", "near surface"}}, 20},
        {"photic zone", {{"relative", "Photic zone"}}, 20},
        {"bottom", {{"depth", "1"}, {"relative", "Bottom"}}, SkipReason::TooDeep},
        {"unreadable depth", {{"depth", "shallow"}}, SkipReason::UnreadableValue},
        {"unknown depth unit", {{"depth", "1"}, {"depthUnit", "fathom"}}, SkipReason::UnknownUnit},
        {"Secchi ignores depths",
         {{"name", "Depth, Secchi disk depth"}, {"unit", "m"}, {"depth", "x"}, {"relative", "Bottom"}}, 20},
    });
    SampleRules rules;
    rules.maxDepthMetres = 5;
    rules.requireDepth = true;
    expectCases({{"--max-depth 5", {{"depth", "4"}}, 20},
                 {"--require-depth", {}, SkipReason::NoDepth}},
                rules);
}

TEST(SampleRules, DatesAndSeasons)
{
    expectCases({
        {"ISO date", {}, 20},
        {"slashes", {{"date", "2021/07/01"}}, 20},
        {"date and time", {{"date", "2021-07-01T10:30:00"}}, 20},
        {"slashes and time", {{"date", "2021/07/01T10:30"}}, SkipReason::UnreadableDate},
        {"US order", {{"date", "07/01/2021"}}, SkipReason::UnreadableDate},
        {"no such day", {{"date", "2021-06-31"}}, SkipReason::UnreadableDate},
        {"first day", {{"date", "2021-06-01"}}, 20},
        {"last day", {{"date", "2021-09-30"}}, 20},
        {"day after", {{"date", "2021-10-01"}}, SkipReason::OutsideSeason},
        {"characteristic before date", {{"date", "x"}, {"name", "pH"}}, SkipReason::OtherCharacteristic},
    });
    SampleRules southern;
    southern.seasonStart = {11, 1};
    southern.seasonEnd = {2, 28};
    expectCases({{"wrapped season, December", {{"date", "2021-12-15"}}, 20},
                 {"wrapped season, February", {{"date", "2022-02-28"}}, 20},
                 {"wrapped season, March", {{"date", "2022-03-01"}}, SkipReason::OutsideSeason}},
                southern);
    EXPECT_EQ(seasonYear({2022, 2, 1}, southern), 2021);
    EXPECT_EQ(readMonthDay("02-29"), std::nullopt);
    for (std::int32_t day : {-800000, -1, 0, 59, 11016, 19000, 2932896})
        EXPECT_EQ(dayNumber(civilDate(day)), day);
}

TEST(SampleRules, SitesOfNoLake)
{
    LakesTable lakes;
    lakes.lakes.push_back({"Clear Lake", {}, "", ""});
    lakes.lakeOfSite["CL-1"] = 0;
    EXPECT_TRUE(outcomeOf(wqpTable({{"site", "CL-1"}}), {}, &lakes).value);
    EXPECT_EQ(outcomeOf(wqpTable({{"site", "XX-9"}}), {}, &lakes).reason, SkipReason::SiteOfNoLake);
    EXPECT_EQ(outcomeOf(wqpTable({{"site", ""}})).reason, SkipReason::SiteOfNoLake);
}

// ---- lake-years ----

std::string lakeYearsOf(const std::string& samples, const std::string* lakes = nullptr, const SampleRules& rules = {},
                        std::size_t piece = 1 << 16)
{
    const batch::ReadFunction readLakes = lakes ? readerOf(*lakes) : batch::ReadFunction();
    const LakeYearTable table = readLakeYears(readerOf(samples, piece), lakes ? &readLakes : nullptr, rules);
    EXPECT_TRUE(table.summary.ok()) << table.summary.error;
    return table.csv;
}

std::vector<std::vector<std::string>> rowsOf(const std::string& table)
{
    std::vector<std::vector<std::string>> rows;
    batch::CsvRecord record;
    for (std::size_t pos = 0; pos < table.size();) {
        pos = batch::scanCsvRecord(table, pos, true, &record);
        rows.emplace_back();
        for (std::size_t i = 0; i < record.size(); ++i)
            rows.back().emplace_back(record[i]);
    }
    return rows;
}

TEST(LakeYears, TheThreeShapesOfTheExamplesGiveTheSameWorkedLakeYears)
{
    const std::string lakes = fileText("samples_lakes.csv");
    const std::string fromPortal = lakeYearsOf(fileText("samples_wqp.csv"), &lakes);
    EXPECT_EQ(lakeYearsOf(fileText("samples_long.csv"), &lakes), fromPortal);
    EXPECT_EQ(lakeYearsOf(fileText("samples_wide.csv"), &lakes), fromPortal);
    const auto rows = rowsOf(fromPortal);
    ASSERT_EQ(rows.size(), 5u);
    // Clear Lake 2021: phosphorus days 22 (two sites), 5 (half the limit of 10), 30, 26;
    // chlorophyll 5, 6 (corrected over uncorrected 8), 9, 7; Secchi 3.5, 10 ft, 250 cm, 2.8.
    const std::vector<std::string> clear2021 = {"Clear Lake 2021", "Clear Lake", "2021", "20.75", "ug/L", "4"};
    EXPECT_EQ(std::vector<std::string>(rows[1].begin(), rows[1].begin() + 6), clear2021);
    EXPECT_EQ(rows[1][7], "6.75");
    EXPECT_NEAR(std::stod(rows[1][11]), 2.962, 1e-12);
    EXPECT_NEAR(std::stod(rows[1][6]), std::sqrt((1.25 * 1.25 + 15.75 * 15.75 + 9.25 * 9.25 + 5.25 * 5.25) / 3) / 2,
                1e-12);
    // No alkalinity sampled: the lakes table's, without days.
    EXPECT_EQ(rows[1][15] + " " + rows[1][16] + " " + rows[1][17], "0.9 meq/L ");
    // Mud Lake 2022 has two days: its values are kept and the note says so.
    EXPECT_EQ(rows[4][0], "Mud Lake 2022");
    EXPECT_EQ(rows[4][21], "fewer than 4 days: total_phosphorus 2, chlorophyll_a 2, secchi_depth 2");
    EXPECT_EQ(rows[3][15] + " " + rows[3][17], "3 1");  // 150 mg/l CaCO3 on one day
    EXPECT_EQ(rows[4][15], "");
}

TEST(LakeYears, SemicolonTablesWithDecimalCommasGiveTheSameLakeYears)
{
    // As a spreadsheet saves the examples where the comma is the decimal separator.
    const auto semicolonTable = [](std::string table) {
        std::replace(table.begin(), table.end(), ',', ';');
        for (std::size_t i = 1; i + 1 < table.size(); ++i)
            if (table[i] == '.' && std::isdigit(static_cast<unsigned char>(table[i - 1]))
                && std::isdigit(static_cast<unsigned char>(table[i + 1])))
                table[i] = ',';
        return table;
    };
    const std::string lakes = fileText("samples_lakes.csv");
    const std::string expected = lakeYearsOf(fileText("samples_wide.csv"), &lakes);
    const std::string semicolonLakes = "name;ecoregion;watershed_area;lake_area;mean_depth;alkalinity;alkalinity_unit;sites\n"
                                       "Clear Lake;NLF;12,5;1,8;6,2;0,9;meq/L;\"CL-1;CL-2\"\n"
                                       "Mud Lake;CHF;40;2,1;2,4;;;ML-1\n";
    const auto rows = rowsOf(lakeYearsOf(semicolonTable(fileText("samples_wide.csv")), &semicolonLakes));
    const auto expectedRows = rowsOf(expected);
    ASSERT_EQ(rows.size(), expectedRows.size());
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(std::vector<std::string>(rows[i].begin(), rows[i].begin() + 22),
                  std::vector<std::string>(expectedRows[i].begin(), expectedRows[i].begin() + 22));
        EXPECT_EQ(rows[i][23], expectedRows[i][23]);  // watershed area 12,5 carried over as 12.5
    }
}

TEST(LakeYears, WithoutLakesTableEachSiteIsALakeInTheOrderItFirstAppears)
{
    const std::string samples = "site,date,parameter,value,unit\n"
                                "B,2020-07-01,pH,7,\n"
                                "A,2021-07-01,Phosphorus,10,ug/L\n"
                                "B,2021-07-02,Phosphorus,30,ug/L\n"
                                "B,2020-07-02,Phosphorus,50,ug/L\n";
    const auto rows = rowsOf(lakeYearsOf(samples));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][0], "B 2020");
    EXPECT_EQ(rows[2][0], "B 2021");
    EXPECT_EQ(rows[3][0], "A 2021");
    EXPECT_EQ(rows[1][6], "");  // no standard error of one day
}

TEST(LakeYears, CorrectedChlorophyllAtAnySiteDecidesTheDay)
{
    const std::string samples = "site,date,parameter,value,unit\n"
                                "A1,2021-07-01,Chlorophyll a,100,ug/L\n"
                                "A2,2021-07-01,\"Chlorophyll a, free of pheophytin\",10,ug/L\n"
                                "A1,2021-07-02,Chlorophyll a,40,ug/L\n";
    const std::string lakes = "name,sites\nA,A1;A2\n";
    const auto rows = rowsOf(lakeYearsOf(samples, &lakes));
    EXPECT_EQ(rows[1][7], "25");  // days of 10 and 40
    EXPECT_EQ(rows[1][9], "2");
}

TEST(LakeYears, LakesTablesThatCannotBeUsed)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"name,sites\nA,S1;S2\nB,S2\n", "the site \"S2\" is listed for the lakes \"A\" and \"B\""},
        {"name,sites\nA,S1\nA,S2\n", "the lake \"A\" is in the lakes table twice"},
        {"name,sites\n,S1\n", "row 1 of the lakes table has no lake name"},
        {"name,ecoregion\nA,NLF\n", "the lakes table has no sites column"},
        {"name;sites\nA;S1;S2\n",
         "row 1 of the lakes table has more fields than its header (quote a sites list that holds the table's "
         "separator)"},
        {"", "the lakes table has no header row"},
    };
    for (const auto& [lakes, error] : cases) {
        const batch::ReadFunction readLakes = readerOf(lakes);
        EXPECT_EQ(readLakeYears(readerOf(fileText("samples_long.csv")), &readLakes, {}).summary.error, error);
    }
    EXPECT_EQ(readLakeYears(readerOf("a,b\n1,2\n"), nullptr, {}).summary.error.rfind("the header is none of", 0), 0u);
}

TEST(LakeYears, EveryResultIsCountedOnceWhateverTheReads)
{
    std::string samples;
    std::string lakes;
    writeGeneratedSamples(20000, 5, [&](std::string_view b) { samples += b; }, [&](std::string_view b) { lakes += b; });
    const batch::ReadFunction readLakes = readerOf(lakes);
    const LakeYearTable whole = readLakeYears(readerOf(samples), &readLakes, {});
    const SampleCounts& counts = whole.summary.counts;
    std::uint64_t total = 0;
    for (auto n : counts.accepted)
        total += n;
    for (auto n : counts.skipped)
        total += n;
    EXPECT_EQ(total, counts.results);
    EXPECT_GE(counts.rows, 20000u);  // whole visits, so a few more
    for (SkipReason reason : {SkipReason::QualityControl, SkipReason::OutsideSeason, SkipReason::TooDeep,
                              SkipReason::OtherCharacteristic, SkipReason::UnreadableDate})
        EXPECT_GT(counts.skipped[static_cast<int>(reason)], 0u) << skipReasonText(reason);
    EXPECT_EQ(lakeYearsOf(samples, &lakes, {}, 997), whole.csv);
    // Parsed on the calling thread only, as a runtime without threads does: the same table.
    const batch::ReadFunction readLakesAgain = readerOf(lakes);
    EXPECT_EQ(readLakeYears(readerOf(samples), &readLakesAgain, {}, Threading::CallingThreadOnly).csv, whole.csv);
    EXPECT_EQ(samplesCountsText(counts, NumberFormat{}).rfind("Samples: " + batch::countText(counts.rows, NumberFormat{})
                                                                 + " rows read, ",
                                                             0),
              0u);
}

TEST(LakeYears, AssessedLakeYearsCarryWhatTheBatchAddsByteForByte)
{
    const std::string lakes = fileText("samples_lakes.csv");
    const std::string table = lakeYearsOf(fileText("samples_wqp.csv"), &lakes);
    std::string batchOutput;
    batch::runBatch(readerOf(table), [&](std::string_view b) { batchOutput += b; }, batch::BatchSettings{});
    SamplesSettings settings;
    settings.assess = true;
    std::string assessed;
    const batch::ReadFunction readLakes = readerOf(lakes);
    ASSERT_TRUE(runSamples(readerOf(fileText("samples_wqp.csv")), &readLakes, settings,
                           {[&](std::string_view b) { assessed += b; }, {}})
                    .ok());
    const auto lakeYears = rowsOf(table);
    const auto results = rowsOf(batchOutput);
    const auto rows = rowsOf(assessed);
    ASSERT_EQ(rows.size(), lakeYears.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> expected = lakeYears[i];
        expected.insert(expected.end(), results[i].begin() + 1, results[i].end());
        EXPECT_EQ(rows[i], expected);
    }
    EXPECT_EQ(rows[1].back(), "ok");
}

// ---- trends ----

TEST(Trends, MannKendallAndSenSlopeOfAWorkedSeries)
{
    // Pairs of 10, 12, 11, 12, 15: 8 up, 1 down, 1 tie, so S = 7; one tie of two:
    // Var = (5*4*15 - 2*1*9) / 18 = 282 / 18; z = (7 - 1) / sqrt(Var) = 1.5159; p =
    // 2 (1 - Phi(1.5159)) = 0.1296. Sen's slope is the median of 2, 0.5, 0.667, 1.25, -1, 0,
    // 1, 1, 2, 3 per year.
    const MannKendall test = mannKendall({10, 12, 11, 12, 15});
    EXPECT_EQ(test.s, 7);
    EXPECT_DOUBLE_EQ(test.variance, 282.0 / 18);
    EXPECT_DOUBLE_EQ(test.z, 6 / std::sqrt(282.0 / 18));
    EXPECT_NEAR(test.p, 0.1296, 1e-4);
    EXPECT_DOUBLE_EQ(*senSlope({2001, 2002, 2003, 2004, 2005}, {10, 12, 11, 12, 15}), 1);
    EXPECT_EQ(mannKendall({3, 3, 3}).p, 1);
    EXPECT_EQ(senSlope({2001}, {1}), std::nullopt);
}

TEST(Trends, VerdictsOfRisingFallingAndShortSeries)
{
    std::string samples = "site,date,parameter,value,unit\n";
    for (int year = 2000; year < 2010; ++year) {
        const std::string tp = std::to_string(10 + 3 * (year - 2000));
        samples += "A," + std::to_string(year) + "-07-01,Phosphorus," + tp + ",ug/L\n";
        samples += "B," + std::to_string(year) + "-07-01,Phosphorus,-,ug/L\n";
    }
    samples += "C,2001-07-01,Chlorophyll a,10,ug/L\nC,2001-07-01,\"Depth, Secchi disk depth\",2,m\n";
    samples += "C,2001-07-01,Phosphorus,20,ug/L\n";
    const LakeYearTable table = readLakeYears(readerOf(samples), nullptr, {});
    const std::vector<Trend> trends = lakeTrends(table.lakeYears, {});
    ASSERT_EQ(trends.size(), 5u);  // A's phosphorus, C's four indices
    EXPECT_EQ(trends[0].verdict, "increasing");
    EXPECT_EQ(trends[0].test.s, 45);
    // Ten years of 3 ug/L more each: the index's median slope, per decade.
    EXPECT_GT(*trends[0].slopePerDecade, 0);
    EXPECT_EQ(trends[4].index, TrendIndex::Average);
    EXPECT_EQ(trends[4].verdict, "too few years");
    EXPECT_DOUBLE_EQ(trends[1].values[0], phosphorusTsi(20).doubleValue());

    // One lake's trends are those of the whole run that are its own; B has none.
    for (int lake = 0; lake < 3; ++lake) {
        std::vector<std::string> wanted;
        for (const Trend& trend : trends)
            if (trend.lake == lake)
                wanted.push_back(trendInWords(trend));
        std::vector<std::string> got;
        for (const Trend& trend : lakeTrendsOf(table.lakeYears, lake, {}))
            got.push_back(trendInWords(trend));
        EXPECT_EQ(got, wanted) << "lake " << lake;
    }
    EXPECT_EQ(trendsInWords({}), "No trophic state index: no lake-year has a positive mean.");
    EXPECT_EQ(trendsInWords(lakeTrendsOf(table.lakeYears, 2, {})),
              trendInWords(trends[1]) + "\n" + trendInWords(trends[2]) + "\n" + trendInWords(trends[3]) + "\n"
                  + trendInWords(trends[4]));
}

}  // namespace
