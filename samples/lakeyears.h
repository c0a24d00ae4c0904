#pragma once
// From accepted results to lake-years. Each result is added to the daily totals of its
// lake and day; memory grows with the lake-days held, not with the rows read. A lake-year's
// value of a parameter is the mean over the season's days of the lake's daily means.

#include "samples/chunkparser.h"
#include "samples/lakestable.h"
#include "samples/samplerules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace trophex::samples {

struct ParameterYear {
    double mean = 0;                // mean of the daily means
    int days = 0;                   // days with an accepted result
    std::optional<double> standardError;  // of the daily means; none below 2 days
};

struct LakeYear {
    int lake = 0;   // index into the run's lakes
    int year = 0;   // the year the season starts in
    std::array<std::optional<ParameterYear>, ParameterCount> parameters;
    std::int32_t firstDay = 0;  // day numbers of the first and last day with an accepted result
    std::int32_t lastDay = 0;
};

class SampleAccumulator {
public:
    // Without a lakes table each site is a lake of its own, named by its identifier.
    SampleAccumulator(const SampleRules& rules, const LakesTable* lakes);

    // Adds a chunk's results; chunks come in input order.
    void add(const ParsedChunk& chunk);

    const SampleCounts& counts() const { return counts_; }
    // Sites with an accepted result.
    std::uint64_t siteCount() const { return sitesWithResults_; }
    const std::vector<std::string>& lakeNames() const { return lakeNames_; }

    // The lake-years, lakes in order and years ascending; empties the daily totals.
    std::vector<LakeYear> takeLakeYears();

private:
    // The sums and counts of one lake and day, the chlorophyll a corrected for or free of
    // pheophytin apart from the rest.
    struct DayTotals {
        std::array<double, DailySlotCount> sum{};
        std::array<std::uint32_t, DailySlotCount> count{};
    };
    using LakeDays = std::unordered_map<std::int32_t, DayTotals>;
    struct Site {
        int lake = -1;               // -1: no lake lists it
        bool hasResults = false;     // an accepted result came from it
    };

    Site& siteNamed(const std::string& identifier);
    void accept(Site& site, const AcceptedResult& result);
    LakeYear lakeYearOf(int lake, int year, const std::vector<std::pair<std::int32_t, const DayTotals*>>& days) const;

    const SampleRules& rules_;
    SampleCounts counts_;
    std::uint64_t sitesWithResults_ = 0;
    std::vector<std::string> lakeNames_;
    std::vector<LakeDays> lakeDays_;  // per lake
    std::unordered_map<std::string, Site> sites_;  // entries stay in place
    std::vector<Site*> chunkSites_;   // the sites of the chunk being added
    DayTotals* lastDay_ = nullptr;    // the day added to last, its lake and day number
    int lastDayLake_ = -1;
    std::int32_t lastDayNumber_ = 0;
};

// The lake-year table: name, waterbody, year, each parameter's value, unit, days and
// standard error, first_date, last_date, note; with a lakes table its batch columns after
// those, and its alkalinity where the samples give none. Rows end with lineEnd.
void appendLakeYearHeader(std::string& out, const LakesTable* lakes, const char* lineEnd);
void appendLakeYearRow(std::string& out, const LakeYear& lakeYear, const std::string& lakeName,
                       const LakesTable* lakes, const SampleRules& rules, const char* lineEnd);

}  // namespace trophex::samples
