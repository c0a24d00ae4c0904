// lake_years() and lake_trends(): a samples table, and optionally a lakes table, as the
// bytes of CSV files through the engine's samples step, its lake-years and trends tables back as CSV
// texts with the summary of what was read.

#include "samples/samplesrun.h"

#include <cpp11.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

using namespace trophex;

namespace {

std::string textOf(const cpp11::raws& bytes)
{
    return std::string(reinterpret_cast<const char*>(RAW(bytes)), static_cast<std::size_t>(bytes.size()));
}

// Gives out the bytes of a text as a table's reader asks for them.
batch::ReadFunction readerOfText(const std::string& text)
{
    return [&text, offset = std::size_t(0)](char* buffer, std::size_t capacity) mutable {
        const std::size_t count = std::min(capacity, text.size() - offset);
        std::memcpy(buffer, text.data() + offset, count);
        offset += count;
        return count;
    };
}

samples::MonthDay monthDayOf(const std::string& text, const std::string& season)
{
    const std::optional<samples::MonthDay> day = samples::readMonthDay(text);
    if (!day)
        throw std::invalid_argument("`season` must be \"MM-DD:MM-DD\", not \"" + season + "\".");
    return *day;
}

samples::SampleRules rulesOf(const std::string& censored, double maxDepth, bool requireDepth,
                             const std::string& season, bool probeChlorophyll, int minDays)
{
    samples::SampleRules rules;
    const std::optional<samples::Censoring> censoring = samples::censoringNamed(censored);
    if (!censoring)
        throw std::invalid_argument("`censored` must be \"half\", \"zero\", \"limit\" or \"drop\", not \"" + censored
                                    + "\".");
    rules.censoring = *censoring;
    if (!(maxDepth >= 0))
        throw std::invalid_argument("`max_depth` must be a depth in metres of 0 or more.");
    rules.maxDepthMetres = maxDepth;
    rules.requireDepth = requireDepth;
    const std::size_t colon = season.find(':');
    if (colon == std::string::npos)
        throw std::invalid_argument("`season` must be \"MM-DD:MM-DD\", not \"" + season + "\".");
    rules.seasonStart = monthDayOf(season.substr(0, colon), season);
    rules.seasonEnd = monthDayOf(season.substr(colon + 1), season);
    rules.probeChlorophyll = probeChlorophyll;
    if (minDays < 1 || minDays > 366)
        throw std::invalid_argument("`min_days` must be a whole number from 1 to 366.");
    rules.minDays = minDays;
    return rules;
}

samples::TrendSettings trendSettingsOf(double alpha, int minYears)
{
    if (!(alpha > 0 && alpha < 1))
        throw std::invalid_argument("`alpha` must be a level above 0 and below 1.");
    if (minYears < 2 || minYears > 10000)
        throw std::invalid_argument("`min_years` must be a whole number from 2 to 10000.");
    return samples::TrendSettings{alpha, minYears};
}

}  // namespace

// The lake-years table, the trends table and the summary of one run of the samples step;
// `lakes` is empty for none.
[[cpp11::register]] cpp11::writable::strings samples_run_(cpp11::raws samples_csv, cpp11::raws lakes_csv,
                                                          bool with_lakes, std::string censored,
                                                          double max_depth, bool require_depth,
                                                          std::string season, bool probe_chlorophyll,
                                                          int min_days, double alpha, int min_years)
{
    samples::SamplesSettings settings;
    settings.rules = rulesOf(censored, max_depth, require_depth, season, probe_chlorophyll, min_days);
    settings.trends = trendSettingsOf(alpha, min_years);
    std::string lakeYears;
    std::string trends;
    samples::SamplesOutput output;
    output.lakeYears = [&](std::string_view bytes) { lakeYears.append(bytes); };
    output.trends = [&](std::string_view bytes) { trends.append(bytes); };
    const std::string samplesText = textOf(samples_csv);
    const std::string lakesText = textOf(lakes_csv);
    const batch::ReadFunction readLakes = readerOfText(lakesText);
    const samples::SamplesSummary summary =
        samples::runSamples(readerOfText(samplesText), with_lakes ? &readLakes : nullptr, settings, output);
    if (!summary.ok())
        throw std::invalid_argument(summary.error);
    return cpp11::writable::strings({cpp11::r_string(lakeYears), cpp11::r_string(trends),
                                     cpp11::r_string(samples::summaryText(summary))});
}

// The numbers of decimal texts, each rounded to its nearest double (R's own reader misses
// some texts of 16 and 17 digits by one bit); NA for an empty text or one that is no number.
[[cpp11::register]] cpp11::writable::doubles decimal_numbers_(cpp11::strings texts)
{
    cpp11::writable::doubles numbers(texts.size());
    for (R_xlen_t i = 0; i < texts.size(); ++i) {
        const std::string text(texts[i]);
        double number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        numbers[i] = !text.empty() && error == std::errc() && end == text.data() + text.size() ? number : NA_REAL;
    }
    return numbers;
}
