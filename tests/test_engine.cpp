// The engine's public header as a shell sees it: the texts the runner and the batch write,
// errors as values whatever happens, the calling thread alone when asked, and the x87's
// precision whatever the caller's control word.

#include "engine/engine.h"

#include "arithmetic/precisioncontrol.h"
#include "engine/json.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

using namespace trophex;
using namespace trophex::engine;

namespace fs = std::filesystem;

// Allocations fail on purpose from the armed count on: the one after `allocationsLeft` more.
namespace {
long allocationsLeft = -1;  // negative: allocations never fail
}  // namespace

void* operator new(std::size_t size)
{
    if (allocationsLeft == 0)
        throw std::bad_alloc();
    if (allocationsLeft > 0)
        --allocationsLeft;
    if (void* p = std::malloc(size > 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

// The replacement new takes its memory from malloc, so delete gives it back with free; GCC
// takes the pair of a new expression and free for a mismatch once delete is inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

// The tests run in the source folder.
const fs::path Golden = fs::absolute(fs::path("tests") / "golden");

std::string contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Runs the work with the golden folder as the current one, as the golden runs do.
template <typename Work>
void inGoldenFolder(const Work& work)
{
    const fs::path before = fs::current_path();
    fs::current_path(Golden);
    work();
    fs::current_path(before);
}

const InputFields ExampleFields = {{"name", "Example Lake"}, {"ecoregion", "NLF"},       {"watershed_area", "10"},
                                   {"lake_area", "1"},       {"mean_depth", "5"},        {"total_phosphorus", "30"},
                                   {"chlorophyll_a", "10"},  {"secchi_depth", "2"},      {"alkalinity", "1"}};

std::string jsonOf(const Assessment& a)
{
    const Text json = assessmentJson(a);
    EXPECT_TRUE(json.ok()) << json.error.message;
    return json.text;
}

TEST(EngineContract, DataFilesGiveTheRunnersJsonLines)
{
    const std::vector<std::string> expected = linesOf(contentsOf(Golden / "runner.json"));
    const std::vector<std::string> files = {"example.tpx",     "prairie.tpx",       "no_alkalinity.tpx",
                                            "mixed_units.tpx", "big_lake.tpx",      "unreadable_area.tpx",
                                            "no_surface.tpx",  "wrong_header.tpx",  "missing.tpx"};
    ASSERT_EQ(expected.size(), files.size());
    inGoldenFolder([&] {
        for (std::size_t i = 0; i < files.size(); ++i) {
            const Assessment byPath = assessDataFile(files[i]);
            EXPECT_EQ(jsonOf(byPath), expected[i]) << files[i];
            if (fs::exists(files[i])) {
                EXPECT_EQ(jsonOf(assessDataFileBytes(contentsOf(files[i]), files[i])), expected[i]) << files[i];
            }
        }
    });
}

TEST(EngineContract, ResponsesGiveTheResponseCommandsJsonLines)
{
    const std::vector<std::string> expected = linesOf(contentsOf(Golden / "response.json"));
    const std::vector<std::string> files = {"example.tpx", "prairie.tpx", "no_alkalinity.tpx", "unreadable_area.tpx"};
    ASSERT_EQ(expected.size(), files.size());
    inGoldenFolder([&] {
        for (std::size_t i = 0; i < files.size(); ++i) {
            const ResponseAssessment a = assessResponse(assessDataFile(files[i]), {"chla=5"});
            const Text json = responseJson(a);
            ASSERT_TRUE(json.ok());
            EXPECT_EQ(json.text, expected[i]) << files[i];
        }
    });
}

TEST(EngineContract, TablesGiveTheBatchsBytesOnTheCallingThreadAndOnThreads)
{
    struct Case {
        const char* input;
        const char* expected;
        batch::ResultStyle style;
        std::optional<ResponseRequest> response;
    };
    const std::vector<Case> cases = {
        {"lakes.csv", "batch_lakes.csv", batch::ResultStyle::Display, std::nullopt},
        {"lakes.csv", "batch_lakes_raw.csv", batch::ResultStyle::Raw, std::nullopt},
        {"odd_rows.csv", "batch_odd_rows.csv", batch::ResultStyle::Display, std::nullopt},
        {"lakes.csv", "batch_lakes_target.csv", batch::ResultStyle::Display, ResponseRequest{"ecoregion"}},
    };
    for (const Case& c : cases) {
        for (unsigned workers : {0u, 1u, 3u}) {
            BatchOptions options;
            options.workers = workers;
            options.style = c.style;
            options.response = c.response;
            const TableAssessment run = assessTableBytes(contentsOf(Golden / c.input), options);
            EXPECT_TRUE(run.report.ok()) << run.report.error.message;
            EXPECT_EQ(run.table, contentsOf(Golden / c.expected)) << c.expected << " with " << workers << " workers";
        }
    }
}

TEST(EngineContract, TheCallingThreadAloneStartsNoThread)
{
    const std::string table = contentsOf(Golden / "lakes.csv");
    BatchOptions options;
    options.startThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    options.workers = 0;
    const TableAssessment alone = assessTableBytes(table, options);
    EXPECT_TRUE(alone.report.ok()) << alone.report.error.message;
    EXPECT_EQ(alone.table, contentsOf(Golden / "batch_lakes.csv"));

    options.workers = 2;
    const TableAssessment threaded = assessTableBytes(table, options);
    EXPECT_EQ(threaded.report.error.code, ErrorCode::BatchStopped);
    EXPECT_EQ(threaded.report.error.message.rfind("cannot start a thread for the batch: ", 0), 0u);
}

TEST(EngineContract, ACancelledRunOnTheCallingThreadStopsAndSaysSo)
{
    batch::BatchCancellation cancellation;
    cancellation.cancel();
    BatchOptions options;
    options.cancellation = &cancellation;
    const TableAssessment run = assessTableBytes(contentsOf(Golden / "lakes.csv"), options);
    EXPECT_TRUE(run.report.cancelled);
    EXPECT_EQ(run.report.error.message, batch::CancelledError);
}

TEST(EngineInputs, ColumnNamesGiveTheTextsOfTheDataFile)
{
    Assessment byName = assessLake(ExampleFields);
    ASSERT_TRUE(byName.ok()) << byName.error.message;
    const Assessment byFile = assessDataFile((Golden / "example.tpx").string());
    EXPECT_EQ(byName.inputs->texts, byFile.inputs->texts);
    byName.source = byFile.source;
    EXPECT_EQ(jsonOf(byName), jsonOf(byFile));
    for (int i = 0; i < ResultCount; ++i)
        EXPECT_EQ(byName.values.values[i].toDouble(), byFile.values.values[i].toDouble());
}

TEST(EngineInputs, ValuesWithoutTextsAreTheSameValues)
{
    const Assessment withTexts = assessLake(ExampleFields);
    AssessOptions valuesOnly;
    valuesOnly.resultTexts = false;
    const Assessment without = assessLake(ExampleFields, valuesOnly);
    ASSERT_TRUE(without.ok()) << without.error.message;
    for (int i = 0; i < ResultCount; ++i) {
        EXPECT_EQ(without.values.values[i].significand(), withTexts.values.values[i].significand()) << i;
        EXPECT_EQ(without.values.values[i].signExponent(), withTexts.values.values[i].signExponent()) << i;
        EXPECT_TRUE(without.results.texts[i].empty()) << i;
        EXPECT_FALSE(withTexts.results.texts[i].empty()) << i;
    }
}

TEST(EngineInputs, AbsentAndOddNamesAreReadAsTheBatchReadsThem)
{
    InputFields fields = ExampleFields;
    fields["Total Phosphorus"] = fields["total_phosphorus"];
    fields.erase("total_phosphorus");
    fields["colour"] = "brown";
    fields["TPunitComboBox"] = "MG/L";
    const Assessment a = assessLake(fields, {}, {{"v1", "0.3"}});
    ASSERT_TRUE(a.ok()) << a.error.message;
    EXPECT_EQ(a.ignoredColumns, std::vector<std::string>{"colour"});
    EXPECT_EQ((*a.inputs)[Input::TPunitComboBox], "mg/L");
    EXPECT_EQ((*a.inputs)[Input::V1EditBox], "0.3");
    EXPECT_EQ((*a.inputs)[Input::V2Editbox], InputTexts::startup()[Input::V2Editbox]);
    EXPECT_EQ((*a.inputs)[Input::DepthComboBox], "m");

    struct Refusal {
        InputFields fields;
        InputFields calibration;
        ErrorCode code;
        const char* message;
    };
    InputFields noEcoregion = ExampleFields;
    noEcoregion.erase("ecoregion");
    InputFields badUnit = ExampleFields;
    badUnit["mean_depth_unit"] = "fathoms";
    const std::vector<Refusal> refusals = {
        {noEcoregion, {}, ErrorCode::InvalidRequest, "the header has no ecoregion column"},
        {ExampleFields, {{"v1", "1"}, {"mean_depth", "3"}}, ErrorCode::InvalidRequest,
         "\"mean_depth\" names no member of the calibration set"},
        {ExampleFields, {{"name", "x"}}, ErrorCode::InvalidRequest, "\"name\" names no member of the calibration set"},
        {badUnit, {}, ErrorCode::UnknownUnit, "Unknown unit \"fathoms\"!"},
    };
    for (const Refusal& r : refusals) {
        const Assessment refused = assessLake(r.fields, {}, r.calibration);
        EXPECT_EQ(refused.error.code, r.code) << r.message;
        EXPECT_EQ(refused.error.message, r.message);
    }
    InputFields twice = ExampleFields;
    twice["v1"] = "0.2";
    EXPECT_EQ(assessLake(twice, {}, {{"V1", "0.3"}}).error.message, "two columns give v1");
}

TEST(EngineErrors, NameTheInputByColumnAndByControl)
{
    InputFields fields = ExampleFields;
    fields["watershed_area"] = "ten";
    const Assessment unreadable = assessLake(fields);
    EXPECT_EQ(unreadable.error.code, ErrorCode::InvalidInput);
    EXPECT_EQ(unreadable.error.message, "Invalid Input Parameter!");
    EXPECT_EQ(unreadable.error.column, "watershed_area");
    EXPECT_EQ(unreadable.error.field, "WareaEditBox");
    EXPECT_EQ(unreadable.error.position, 1);

    fields = ExampleFields;
    fields["alkalinity"] = "-1";
    const Assessment fault = assessLake(fields);
    EXPECT_TRUE(fault.error.failed());
    EXPECT_EQ(fault.error.column, "alkalinity");
    EXPECT_EQ(fault.error.cause, "Alkalinity must be greater than zero.");
    const ResponseAssessment response = assessResponse(fault, {});
    EXPECT_FALSE(response.ok());
    EXPECT_EQ(response.error.field, "AlkalinityEditBox");
    EXPECT_NE(responseJson(response).text.find(",\"field\":\"AlkalinityEditBox\"}"), std::string::npos);
}

TEST(EngineErrors, RequestsThatCannotBeReadAreErrorsNotExceptions)
{
    const Assessment lake = assessLake(ExampleFields);
    for (const ResponseRequest& request :
         {ResponseRequest{"tp=0"}, ResponseRequest{"nitrogen=3"}, ResponseRequest{"tp=20", "observed"}}) {
        const ResponseAssessment a = assessResponse(lake, request);
        EXPECT_FALSE(a.ok());
        EXPECT_EQ(a.error.code, ErrorCode::InvalidRequest);
        EXPECT_EQ(checkResponseRequest(request).message, a.error.message);
        BatchOptions options;
        options.response = request;
        EXPECT_EQ(assessTableBytes(contentsOf(Golden / "lakes.csv"), options).report.error.message, a.error.message);
    }
    EXPECT_EQ(checkResponseRequest({"tp=0"}).message, "the tp target must be above 0 ug/L");
    EXPECT_EQ(assessResponse(lake, {"tp=20", "MODEL"}).response->mode, ResponseMode::Model);
    EXPECT_EQ(assessResponse(lake, {"tp=20", ""}).response->mode, ResponseMode::Anchored);
}

TEST(EngineErrors, WhatReadAndWriteThrowComesBackAsTheReport)
{
    const std::string table = contentsOf(Golden / "lakes.csv");
    BatchOptions options;
    std::size_t offset = 0;
    const batch::ReadFunction read = [&](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min(capacity, table.size() - offset);
        table.copy(buffer, n, offset);
        offset += n;
        return n;
    };
    const BatchReport failedWrite = assessTable(
        read, [](std::string_view) { throw std::runtime_error("cannot write out.csv: No space left on device"); },
        options);
    EXPECT_EQ(failedWrite.error.message, "cannot write out.csv: No space left on device");
    const BatchReport oddThrow = assessTable([](char*, std::size_t) -> std::size_t { throw 42; },
                                             [](std::string_view) {}, options);
    EXPECT_TRUE(oddThrow.error.failed());
}

// Not under WebAssembly: its runtime allocates on threads of its own (main itself runs on
// one) while the failing allocator is armed, and an allocation failing there ends the process.
#if !defined(__EMSCRIPTEN__)
TEST(EngineErrors, LackOfMemoryAnywhereIsAnErrorInTheProgramsWords)
{
    const std::string example = contentsOf(Golden / "example.tpx");
    int failures = 0;
    for (long n = 0;; ++n) {
        allocationsLeft = n;
        const Assessment a = assessDataFileBytes(example, "example.tpx");
        const ResponseAssessment r = assessResponse(a, {"tp=20"});
        const Text json = responseJson(r);
        const bool reached = allocationsLeft > 0;
        allocationsLeft = -1;
        for (const engine::Error* e : {&a.error, &r.error, &json.error}) {
            if (e->failed()) {
                ++failures;
                EXPECT_EQ(e->code, ErrorCode::OutOfMemory);
                EXPECT_TRUE(e->message.empty() || e->message == errorMessage(ErrorCode::OutOfMemory)) << e->message;
            }
        }
        if (reached) {
            EXPECT_TRUE(a.ok() && r.ok() && json.ok());
            break;
        }
    }
    EXPECT_GT(failures, 10);
}
#endif

#ifdef TROPHEX_X87_EXTENDED
TEST(EnginePrecision, CallsComputeAt64BitsAndGiveTheCallersControlWordBack)
{
    const Assessment usual = assessLake(ExampleFields);
    const std::uint16_t callers = x87ControlWord();
    const std::uint16_t at53Bits = static_cast<std::uint16_t>((callers & ~0x0300) | 0x0200);
    setX87ControlWord(at53Bits);
    const CalculationOutcome unguarded = evaluateInputs(usual.inputs.value());
    const Assessment guarded = assessLake(ExampleFields);
    const std::uint16_t after = x87ControlWord();
    setX87ControlWord(callers);

    EXPECT_EQ(after, at53Bits);
    ASSERT_TRUE(guarded.ok());
    EXPECT_EQ(jsonOf(guarded), jsonOf(usual));
    bool anyDiffers = false;
    for (int i = 0; i < ResultCount; ++i) {
        EXPECT_EQ(softOf(guarded.values.values[i]).significand(), softOf(usual.values.values[i]).significand());
        anyDiffers = anyDiffers || !(unguarded.values.values[i] == usual.values.values[i]);
    }
    EXPECT_TRUE(anyDiffers) << "53-bit precision changes the model's numbers when nothing guards them";
}
#endif

TEST(EngineDataFiles, BytesAreWhatSaveWritesAndReadBack)
{
    const InputsReading lake = readInputs(ExampleFields);
    ASSERT_FALSE(lake.error.failed());
    const Text bytes = dataFileBytes(lake.texts);
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(bytes.text, contentsOf(Golden / "example.tpx"));
    const fs::path saved = fs::temp_directory_path() / ("trophex_engine_save_" + std::to_string(std::random_device{}()) + ".tpx");
    EXPECT_FALSE(saveDataFile(saved.string(), lake.texts).failed());
    EXPECT_EQ(contentsOf(saved), bytes.text);
    fs::remove(saved);
    const engine::Error refused = saveDataFile((fs::path("/nonexistent-folder") / "x.tpx").string(), lake.texts);
    EXPECT_EQ(refused.code, ErrorCode::System);
    EXPECT_FALSE(refused.message.empty());
}


TEST(Json, StringsAreAlwaysValid)
{
    EXPECT_EQ(jsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
    EXPECT_EQ(jsonString("caf\xe9"), "\"caf\xef\xbf\xbd\"");
    EXPECT_EQ(jsonString("\u6e56"), "\"\u6e56\"");
}

}  // namespace
