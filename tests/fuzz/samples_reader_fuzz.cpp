// Fuzzes the samples reader with arbitrary bytes as the samples table. The first byte
// chooses a header put before the rest (none, the Water Quality Portal's, the long or the
// wide form's), whether a lakes table is given, and the size of the pieces reads deliver.
// Whatever the bytes:
// - reading never crashes or hangs;
// - every result is accepted or counted under exactly one reason;
// - the lake-years, trends and counts are the same whatever the pieces the reads return,
//   so whatever the chunk boundaries.

#include "samples/samplesrun.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>

using trophex::fuzz::require;
using namespace trophex;
using namespace trophex::samples;

namespace {

constexpr const char* Headers[] = {
    "",
    "MonitoringLocationIdentifier,ActivityStartDate,ActivityTypeCode,CharacteristicName,ResultSampleFractionText,"
    "ResultMeasureValue,ResultMeasure/MeasureUnitCode,ResultDetectionConditionText,"
    "DetectionQuantitationLimitMeasure/MeasureValue,DetectionQuantitationLimitMeasure/MeasureUnitCode,"
    "ActivityDepthHeightMeasure/MeasureValue,ActivityBottomDepthHeightMeasure/MeasureValue,ActivityRelativeDepthName\n",
    "site,date,depth,parameter,value,unit,flag\n",
    "site,date,depth,total_phosphorus,total_phosphorus_unit,chlorophyll_a,secchi_depth,secchi_depth_unit,alkalinity\n",
};

constexpr const char* LakesTableText = "name,ecoregion,sites\nA,NLF,S;T\nB,CHF,U\n";

batch::ReadFunction piecesOf(const std::string& data, std::size_t piece)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [&data, piece, pos](char* buffer, std::size_t capacity) {
        const std::size_t n = data.copy(buffer, std::min(capacity, piece), *pos);
        *pos += n;
        return n;
    };
}

struct Run {
    SamplesSummary summary;
    std::string lakeYears;
    std::string trends;
};

Run runWith(const std::string& table, bool withLakes, std::size_t piece)
{
    Run run;
    const std::string lakes = LakesTableText;
    const batch::ReadFunction readLakes = piecesOf(lakes, piece);
    SamplesOutput output;
    output.lakeYears = [&run](std::string_view bytes) { run.lakeYears += bytes; };
    output.trends = [&run](std::string_view bytes) { run.trends += bytes; };
    run.summary = runSamples(piecesOf(table, piece), withLakes ? &readLakes : nullptr, SamplesSettings{}, output);
    return run;
}

bool sameCounts(const SampleCounts& a, const SampleCounts& b)
{
    return a.rows == b.rows && a.results == b.results && a.accepted == b.accepted && a.skipped == b.skipped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    const std::string table = Headers[control & 3] + std::string(trophex::fuzz::bytesOf(data + 1, size - 1));
    const bool withLakes = (control & 4) != 0;

    const Run whole = runWith(table, withLakes, table.size() + 1);
    const Run pieces = runWith(table, withLakes, 1 + (control >> 3));
    require(whole.summary.error == pieces.summary.error, "the same error whatever the reads");
    require(whole.lakeYears == pieces.lakeYears && whole.trends == pieces.trends,
            "the same lake-years and trends whatever the reads");
    require(sameCounts(whole.summary.counts, pieces.summary.counts), "the same counts whatever the reads");
    if (!whole.summary.ok())
        return 0;
    const SampleCounts& counts = whole.summary.counts;
    const std::uint64_t accepted = std::accumulate(counts.accepted.begin(), counts.accepted.end(), std::uint64_t{0});
    const std::uint64_t skipped = std::accumulate(counts.skipped.begin(), counts.skipped.end(), std::uint64_t{0});
    require(accepted + skipped == counts.results, "every result is accepted or skipped for one reason");
    const bool oneResultPerRow = (control & 3) == 1 || (control & 3) == 2;
    require(!oneResultPerRow || counts.results == counts.rows, "a row of a one-result shape is one result");
    require(whole.summary.lakeYears <= accepted, "no lake-year without an accepted result");
    return 0;
}
