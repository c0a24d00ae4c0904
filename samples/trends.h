#pragma once
// Trends of a lake's trophic state over the years: Carlson's indices of each lake-year's
// means (by the model's own formulas), the Mann-Kendall test and Sen's slope.

#include "samples/lakeyears.h"

#include <optional>
#include <string>
#include <vector>

namespace trophex::samples {

struct TrendSettings {
    double alpha = 0.05;  // significance level of the test
    int minYears = 5;     // fewer years give "too few years"
};

enum class TrendIndex { Phosphorus, Chlorophyll, Secchi, Average };
inline constexpr int TrendIndexCount = 4;
const char* trendIndexName(TrendIndex index);  // "tsi_tp", "tsi_chla", "tsi_secchi", "tsi_average"
const char* trendIndexTitle(TrendIndex index);  // "Total phosphorus index", ..., "Average index"

// The index of a lake-year, from its unrounded means; none where a mean it needs is missing
// or not positive.
std::optional<double> lakeYearIndex(const LakeYear& lakeYear, TrendIndex index);

struct MannKendall {
    double s = 0;         // the statistic S
    double variance = 0;  // of S, corrected for ties
    double z = 0;         // continuity-corrected; 0 when S is 0 or the variance is 0
    double p = 1;         // two-sided, from the normal distribution
};

// The test of a series in time order.
MannKendall mannKendall(const std::vector<double>& values);
// The median of the slopes between every two points, per unit of time; none below two points.
std::optional<double> senSlope(const std::vector<double>& times, const std::vector<double>& values);

struct Trend {
    int lake = 0;
    TrendIndex index = TrendIndex::Phosphorus;
    std::vector<double> years;   // in order
    std::vector<double> values;  // the index of each year
    MannKendall test;
    std::optional<double> slopePerDecade;
    std::optional<double> intercept;  // of Sen's line, index at year 0: the median of value - slope * year
    std::string verdict;  // "increasing", "decreasing", "no trend" or "too few years"
};

// The test's answer in words: "Total phosphorus index: increasing by 2.1 per decade over 12
// years (2011 to 2022; Mann-Kendall p = 0.003)."
std::string trendInWords(const Trend& trend);

// Every trend of a lake in words, one a line; a sentence saying there is none when empty.
std::string trendsInWords(const std::vector<Trend>& trends);

// The trend of every lake and index that has a year, lakes in the order of the lake-years.
std::vector<Trend> lakeTrends(const std::vector<LakeYear>& lakeYears, const TrendSettings& settings);
// The trends of one lake, by its index among the lakes of the lake-years.
std::vector<Trend> lakeTrendsOf(const std::vector<LakeYear>& lakeYears, int lake, const TrendSettings& settings);

// The trends table: waterbody,index,years,first_year,last_year,mk_s,mk_var,mk_z,mk_p,
// sen_slope_per_decade,trend.
void appendTrendHeader(std::string& out, const char* lineEnd);
void appendTrendRow(std::string& out, const Trend& trend, const std::string& lakeName, const char* lineEnd);

}  // namespace trophex::samples
