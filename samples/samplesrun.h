#pragma once
// A whole sample run: the samples table (and optionally the lakes table) read as streams,
// the lake-year table written, optionally assessed by the batch in the same step, and the
// trends table.

#include "arithmetic/numberformat.h"
#include "batch/batchpipeline.h"
#include "samples/lakeyears.h"
#include "samples/trends.h"

#include <string>
#include <vector>

namespace trophex::samples {

struct SamplesSettings {
    SampleRules rules;
    TrendSettings trends;
    bool assess = false;          // append the batch's result columns to the lake-years
    batch::BatchSettings batch;   // how the batch assesses them
};

struct SamplesSummary {
    SampleCounts counts;
    std::uint64_t sites = 0;      // with an accepted result
    std::uint64_t lakes = 0;      // with a lake-year
    std::uint64_t lakeYears = 0;
    std::string error;            // why the run stopped; empty when it completed
    bool ok() const { return error.empty(); }
};

// Where the results go; trends may be empty for none.
struct SamplesOutput {
    batch::WriteFunction lakeYears;
    batch::WriteFunction trends;
};

// Reads the tables and writes the results. Nothing is written when a table cannot be read.
SamplesSummary runSamples(const batch::ReadFunction& samples, const batch::ReadFunction* lakes,
                          const SamplesSettings& settings, const SamplesOutput& output);

// The summary as lines of text, and as one JSON object.
std::string summaryText(const SamplesSummary& summary);
std::string summaryJson(const SamplesSummary& summary);
// What a table of lakes adds to its summary line for the samples it came from: "Samples: 49
// rows read, 42 results accepted, 7 skipped".
std::string samplesCountsText(const SampleCounts& counts, const NumberFormat& format);

// The lake-years of a samples table as a batch input table (what runSamples writes without
// assessing), with the lake names and the lake-years themselves, for a caller that shows
// them.
struct LakeYearTable {
    std::string csv;
    std::vector<std::string> lakeNames;
    std::vector<LakeYear> lakeYears;
    SamplesSummary summary;
    bool withLakes = false;  // a lakes table gave the lakes
};
// The rows are parsed on threads of their own, or, for a runtime that has none, on the
// calling thread, starting no thread.
enum class Threading { OwnThreads, CallingThreadOnly };
LakeYearTable readLakeYears(const batch::ReadFunction& samples, const batch::ReadFunction* lakes,
                            const SampleRules& rules, Threading threading = Threading::OwnThreads);

// The lake-years as a batch input whose header the batch can use: without a lakes table the
// ecoregion and morphometry columns are added empty, so that each row is listed with the
// reason it cannot be assessed rather than the whole table refused.
std::string batchInputOf(const LakeYearTable& table);

}  // namespace trophex::samples
