#include "samples/trends.h"

#include "batch/csv.h"
#include "arithmetic/fpu.h"
#include "arithmetic/shortestnumber.h"
#include "model/tsi.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdio>
#include <map>

namespace trophex::samples {

const char* trendIndexName(TrendIndex index)
{
    static constexpr std::array<const char*, TrendIndexCount> Names = {"tsi_tp", "tsi_chla", "tsi_secchi",
                                                                        "tsi_average"};
    return Names[static_cast<int>(index)];
}

const char* trendIndexTitle(TrendIndex index)
{
    static constexpr std::array<const char*, TrendIndexCount> Titles = {
        "Total phosphorus index", "Chlorophyll a index", "Secchi depth index", "Average index"};
    return Titles[static_cast<int>(index)];
}

namespace {

std::optional<double> positiveMean(const LakeYear& lakeYear, Parameter parameter)
{
    const std::optional<ParameterYear>& value = lakeYear.parameters[static_cast<int>(parameter)];
    if (!value || !(value->mean > 0))
        return std::nullopt;
    return value->mean;
}

double median(std::vector<double> values)
{
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)) + upper) / 2;
}

}  // namespace

std::optional<double> lakeYearIndex(const LakeYear& lakeYear, TrendIndex index)
{
    const std::optional<double> tp = positiveMean(lakeYear, Parameter::TotalPhosphorus);
    const std::optional<double> chla = positiveMean(lakeYear, Parameter::ChlorophyllA);
    const std::optional<double> secchi = positiveMean(lakeYear, Parameter::SecchiDepth);
    try {
        switch (index) {
        case TrendIndex::Phosphorus:
            return tp ? std::optional<double>(phosphorusTsi(*tp).doubleValue()) : std::nullopt;
        case TrendIndex::Chlorophyll:
            return chla ? std::optional<double>(chlorophyllTsi(*chla).doubleValue()) : std::nullopt;
        case TrendIndex::Secchi:
            return secchi ? std::optional<double>(secchiTsi(*secchi).doubleValue()) : std::nullopt;
        case TrendIndex::Average:
            if (!tp || !chla || !secchi)
                return std::nullopt;
            return averageTsi(phosphorusTsi(*tp), chlorophyllTsi(*chla), secchiTsi(*secchi)).doubleValue();
        }
    } catch (const FloatFault&) {
        // An index beyond the model's number range is no index.
    }
    return std::nullopt;
}

MannKendall mannKendall(const std::vector<double>& values)
{
    MannKendall test;
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            test.s += (values[j] > values[i]) - (values[j] < values[i]);
    std::map<double, int> ties;
    for (double value : values)
        ++ties[value];
    const auto term = [](double t) { return t * (t - 1) * (2 * t + 5); };
    double tieTerms = 0;
    for (const auto& tie : ties)
        tieTerms += term(tie.second);
    test.variance = (term(static_cast<double>(n)) - tieTerms) / 18;
    if (test.variance > 0 && test.s != 0)
        test.z = (test.s - (test.s > 0 ? 1 : -1)) / std::sqrt(test.variance);
    test.p = std::erfc(std::fabs(test.z) / std::sqrt(2.0));
    return test;
}

std::optional<double> senSlope(const std::vector<double>& times, const std::vector<double>& values)
{
    std::vector<double> slopes;
    for (std::size_t i = 0; i < times.size(); ++i)
        for (std::size_t j = i + 1; j < times.size(); ++j)
            if (times[j] != times[i])
                slopes.push_back((values[j] - values[i]) / (times[j] - times[i]));
    if (slopes.empty())
        return std::nullopt;
    return median(std::move(slopes));
}

namespace {

double senIntercept(const std::vector<double>& times, const std::vector<double>& values, double slope)
{
    std::vector<double> intercepts;
    for (std::size_t i = 0; i < times.size(); ++i)
        intercepts.push_back(values[i] - slope * times[i]);
    return median(std::move(intercepts));
}

std::string verdictOf(const Trend& trend, const TrendSettings& settings)
{
    if (static_cast<int>(trend.years.size()) < settings.minYears)
        return "too few years";
    if (trend.test.p < settings.alpha && trend.test.s != 0)
        return trend.test.s > 0 ? "increasing" : "decreasing";
    return "no trend";
}

void addLakeTrends(std::vector<Trend>& trends, const LakeYear* first, const LakeYear* last,
                   const TrendSettings& settings)
{
    for (int i = 0; i < TrendIndexCount; ++i) {
        Trend trend;
        trend.lake = first->lake;
        trend.index = static_cast<TrendIndex>(i);
        for (const LakeYear* year = first; year != last; ++year) {
            if (const std::optional<double> value = lakeYearIndex(*year, trend.index)) {
                trend.years.push_back(year->year);
                trend.values.push_back(*value);
            }
        }
        if (trend.years.empty())
            continue;
        trend.test = mannKendall(trend.values);
        if (const std::optional<double> slope = senSlope(trend.years, trend.values)) {
            trend.slopePerDecade = *slope * 10;
            trend.intercept = senIntercept(trend.years, trend.values, *slope);
        }
        trend.verdict = verdictOf(trend, settings);
        trends.push_back(std::move(trend));
    }
}

}  // namespace

std::vector<Trend> lakeTrends(const std::vector<LakeYear>& lakeYears, const TrendSettings& settings)
{
    std::vector<Trend> trends;
    for (std::size_t start = 0; start < lakeYears.size();) {
        std::size_t end = start;
        while (end < lakeYears.size() && lakeYears[end].lake == lakeYears[start].lake)
            ++end;
        addLakeTrends(trends, lakeYears.data() + start, lakeYears.data() + end, settings);
        start = end;
    }
    return trends;
}

std::vector<Trend> lakeTrendsOf(const std::vector<LakeYear>& lakeYears, int lake, const TrendSettings& settings)
{
    // The lake-years of a lake stand together.
    const auto ofLake = [lake](const LakeYear& lakeYear) { return lakeYear.lake == lake; };
    const auto first = std::find_if(lakeYears.begin(), lakeYears.end(), ofLake);
    const auto last = std::find_if_not(first, lakeYears.end(), ofLake);
    std::vector<Trend> trends;
    if (first != last)
        addLakeTrends(trends, &*first, &*first + (last - first), settings);
    return trends;
}

std::string trendInWords(const Trend& trend)
{
    const auto number = [](double value, int decimals) {
        char text[48];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return std::string(text);
    };
    const std::string span = std::to_string(trend.years.size()) + " years ("
                             + number(trend.years.front(), 0) + " to " + number(trend.years.back(), 0);
    std::string words = std::string(trendIndexTitle(trend.index)) + ": " + trend.verdict;
    const bool significant = trend.verdict == "increasing" || trend.verdict == "decreasing";
    if (significant)
        words += " by " + number(std::fabs(*trend.slopePerDecade), 1) + " per decade";
    words += " over " + span;
    if (trend.slopePerDecade && !significant)
        words += "; Sen's slope " + number(*trend.slopePerDecade, 1) + " per decade";
    if (trend.years.size() >= 2)
        words += "; Mann-Kendall p = " + number(trend.test.p, 3);
    return words + ").";
}

std::string trendsInWords(const std::vector<Trend>& trends)
{
    if (trends.empty())
        return "No trophic state index: no lake-year has a positive mean.";
    std::string words;
    for (const Trend& trend : trends)
        words += (words.empty() ? "" : "\n") + trendInWords(trend);
    return words;
}

void appendTrendHeader(std::string& out, const char* lineEnd)
{
    out += "waterbody,index,years,first_year,last_year,mk_s,mk_var,mk_z,mk_p,sen_slope_per_decade,trend";
    out += lineEnd;
}

void appendTrendRow(std::string& out, const Trend& trend, const std::string& lakeName, const char* lineEnd)
{
    batch::appendCsvField(out, lakeName);
    out += ',';
    out += trendIndexName(trend.index);
    const auto number = [&out](double value) {
        out += ',';
        appendShortestNumber(out, value);
    };
    number(static_cast<double>(trend.years.size()));
    number(trend.years.front());
    number(trend.years.back());
    number(trend.test.s);
    number(trend.test.variance);
    number(trend.test.z);
    number(trend.test.p);
    out += ',';
    if (trend.slopePerDecade)
        appendShortestNumber(out, *trend.slopePerDecade);
    out += ',';
    out += trend.verdict;
    out += lineEnd;
}

}  // namespace trophex::samples
