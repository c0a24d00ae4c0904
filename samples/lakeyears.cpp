#include "samples/lakeyears.h"

#include "batch/batchtable.h"
#include "batch/csv.h"
#include "arithmetic/shortestnumber.h"

#include <algorithm>
#include <cmath>

namespace trophex::samples {

SampleAccumulator::SampleAccumulator(const SampleRules& rules, const LakesTable* lakes)
    : rules_(rules)
{
    if (!lakes)
        return;
    for (const LakeRecord& lake : lakes->lakes)
        lakeNames_.push_back(lake.name);
    lakeDays_.resize(lakeNames_.size());
    for (const auto& [site, lake] : lakes->lakeOfSite)
        sites_[site].lake = lake;
}

SampleAccumulator::Site& SampleAccumulator::siteNamed(const std::string& identifier)
{
    const auto [entry, added] = sites_.try_emplace(identifier);
    if (added) {
        // A lakes table's sites are all known from the start; without one a new site is a
        // lake of its own.
        entry->second.lake = static_cast<int>(lakeNames_.size());
        lakeNames_.push_back(identifier);
        lakeDays_.emplace_back();
    }
    return entry->second;
}

void SampleAccumulator::add(const ParsedChunk& chunk)
{
    counts_.add(chunk.counts);
    chunkSites_.clear();
    for (const std::string& site : chunk.sites)
        chunkSites_.push_back(&siteNamed(site));
    for (const AcceptedResult& result : chunk.results)
        accept(*chunkSites_[result.site], result);
}

void SampleAccumulator::accept(Site& site, const AcceptedResult& result)
{
    if (!site.hasResults) {
        site.hasResults = true;
        ++sitesWithResults_;
    }
    if (!lastDay_ || lastDayLake_ != site.lake || lastDayNumber_ != result.day) {
        lastDay_ = &lakeDays_[static_cast<std::size_t>(site.lake)][result.day];
        lastDayLake_ = site.lake;
        lastDayNumber_ = result.day;
    }
    lastDay_->sum[result.slot] += result.value;
    ++lastDay_->count[result.slot];
}

namespace {

// The day's mean of a parameter; chlorophyll a corrected for or free of pheophytin is used
// alone where the day has it.
template <typename Totals>
std::optional<double> dailyMean(const Totals& totals, Parameter parameter)
{
    int slot = static_cast<int>(parameter);
    if (parameter == Parameter::ChlorophyllA && totals.count[PreferredChlorophyllSlot] > 0)
        slot = PreferredChlorophyllSlot;
    if (totals.count[slot] == 0)
        return std::nullopt;
    return totals.sum[slot] / totals.count[slot];
}

std::optional<ParameterYear> parameterYear(const std::vector<double>& dailyMeans)
{
    if (dailyMeans.empty())
        return std::nullopt;
    ParameterYear year;
    year.days = static_cast<int>(dailyMeans.size());
    double sum = 0;
    for (double mean : dailyMeans)
        sum += mean;
    year.mean = sum / year.days;
    if (year.days >= 2) {
        double squares = 0;
        for (double mean : dailyMeans)
            squares += (mean - year.mean) * (mean - year.mean);
        year.standardError = std::sqrt(squares / (year.days - 1)) / std::sqrt(static_cast<double>(year.days));
    }
    return year;
}

}  // namespace

LakeYear SampleAccumulator::lakeYearOf(int lake, int year,
                                       const std::vector<std::pair<std::int32_t, const DayTotals*>>& days) const
{
    LakeYear lakeYear;
    lakeYear.lake = lake;
    lakeYear.year = year;
    lakeYear.firstDay = days.front().first;
    lakeYear.lastDay = days.back().first;
    std::vector<double> dailyMeans;
    for (Parameter parameter : Parameters) {
        dailyMeans.clear();
        for (const auto& day : days)
            if (const std::optional<double> mean = dailyMean(*day.second, parameter))
                dailyMeans.push_back(*mean);
        lakeYear.parameters[static_cast<int>(parameter)] = parameterYear(dailyMeans);
    }
    return lakeYear;
}

std::vector<LakeYear> SampleAccumulator::takeLakeYears()
{
    std::vector<LakeYear> lakeYears;
    std::vector<std::pair<std::int32_t, const DayTotals*>> days;
    std::vector<std::pair<std::int32_t, const DayTotals*>> season;
    for (std::size_t lake = 0; lake < lakeDays_.size(); ++lake) {
        days.clear();
        for (const auto& [day, totals] : lakeDays_[lake])
            days.emplace_back(day, &totals);
        std::sort(days.begin(), days.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        // Days sorted by date lie in their season years in turn.
        for (std::size_t start = 0; start < days.size();) {
            const int year = *seasonYear(civilDate(days[start].first), rules_);
            std::size_t end = start;
            season.clear();
            while (end < days.size() && *seasonYear(civilDate(days[end].first), rules_) == year)
                season.push_back(days[end++]);
            lakeYears.push_back(lakeYearOf(static_cast<int>(lake), year, season));
            start = end;
        }
        LakeDays().swap(lakeDays_[lake]);
    }
    lastDay_ = nullptr;
    return lakeYears;
}

// ---- the table ----

namespace {

std::string fewDaysNote(const LakeYear& lakeYear, int minDays)
{
    std::string note;
    for (Parameter parameter : Parameters) {
        const std::optional<ParameterYear>& value = lakeYear.parameters[static_cast<int>(parameter)];
        if (!value || value->days >= minDays)
            continue;
        note += note.empty() ? "fewer than " + std::to_string(minDays) + " days: " : ", ";
        note += std::string(parameterColumn(parameter)) + " " + std::to_string(value->days);
    }
    return note;
}

void appendParameter(std::string& out, const std::optional<ParameterYear>& value, Parameter parameter)
{
    if (!value) {
        out += ",,,,";
        return;
    }
    out += ',';
    appendShortestNumber(out, value->mean);
    out += ',';
    out += parameterModelUnit(parameter);
    out += ',';
    out += std::to_string(value->days);
    out += ',';
    if (value->standardError)
        appendShortestNumber(out, *value->standardError);
}

}  // namespace

void appendLakeYearHeader(std::string& out, const LakesTable* lakes, const char* lineEnd)
{
    out += "name,waterbody,year";
    for (Parameter parameter : Parameters) {
        const std::string column = parameterColumn(parameter);
        out += "," + column + "," + column + "_unit," + column + "_days," + column + "_se";
    }
    out += ",first_date,last_date,note";
    if (lakes)
        for (Input input : lakes->columns) {
            out += ',';
            out += batch::inputColumnName(input);
        }
    out += lineEnd;
}

void appendLakeYearRow(std::string& out, const LakeYear& lakeYear, const std::string& lakeName,
                       const LakesTable* lakes, const SampleRules& rules, const char* lineEnd)
{
    const std::string year = std::to_string(lakeYear.year);
    batch::appendCsvField(out, lakeName + " " + year);
    out += ',';
    batch::appendCsvField(out, lakeName);
    out += ',' + year;
    std::string note = fewDaysNote(lakeYear, rules.minDays);
    for (Parameter parameter : Parameters) {
        const std::optional<ParameterYear>& value = lakeYear.parameters[static_cast<int>(parameter)];
        const LakeRecord* lake = lakes ? &lakes->lakes[static_cast<std::size_t>(lakeYear.lake)] : nullptr;
        if (parameter == Parameter::Alkalinity && !value && lake && !lake->alkalinity.empty()) {
            // The lake's own alkalinity stands in for the samples'.
            out += ',';
            batch::appendCsvField(out, lake->alkalinity);
            out += ',';
            batch::appendCsvField(out, lake->alkalinityUnit);
            out += ",,";
            note += note.empty() ? "" : "; ";
            note += "alkalinity from the lakes table";
            continue;
        }
        appendParameter(out, value, parameter);
    }
    out += ',';
    appendIsoDate(out, civilDate(lakeYear.firstDay));
    out += ',';
    appendIsoDate(out, civilDate(lakeYear.lastDay));
    out += ',';
    batch::appendCsvField(out, note);
    if (lakes)
        for (const std::string& text : lakes->lakes[static_cast<std::size_t>(lakeYear.lake)].batchTexts) {
            out += ',';
            batch::appendCsvField(out, text);
        }
    out += lineEnd;
}

}  // namespace trophex::samples
