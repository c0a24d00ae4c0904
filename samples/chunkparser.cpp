#include "samples/chunkparser.h"

namespace trophex::samples {

void SampleCounts::add(const SampleCounts& other)
{
    rows += other.rows;
    results += other.results;
    for (int i = 0; i < ParameterCount; ++i)
        accepted[i] += other.accepted[i];
    for (int i = 0; i < SkipReasonCount; ++i)
        skipped[i] += other.skipped[i];
}

ChunkParser::ChunkParser(const SampleLayout& layout, const SampleRules& rules, const LakesTable* lakes)
    : layout_(layout), rules_(rules), lakes_(lakes), reader_(layout)
{
}

ParsedChunk ChunkParser::unreadableRow()
{
    ParsedChunk chunk;
    chunk.counts.rows = 1;
    chunk.counts.results = 1;
    ++chunk.counts.skipped[static_cast<int>(SkipReason::RowTooLong)];
    return chunk;
}

ParsedChunk ChunkParser::parse(const std::string& records)
{
    ParsedChunk chunk;
    chunkSites_.clear();
    for (std::size_t pos = 0; pos < records.size();) {
        pos = batch::scanCsvRecord(records, pos, true, &record_, layout_.dialect.separator);
        if (record_.isBlank() && !record_.unterminatedQuote())
            continue;
        addRow(reader_.read(record_), chunk);
    }
    return chunk;
}

int ChunkParser::siteIndex(std::string_view site, ParsedChunk& chunk)
{
    if (!chunk.sites.empty() && chunk.sites.back() == site)
        return static_cast<int>(chunk.sites.size()) - 1;
    const std::string name(site);
    if (const auto found = chunkSites_.find(name); found != chunkSites_.end())
        return found->second;
    if (site.empty() || (lakes_ && lakes_->lakeOfSite.count(name) == 0))
        return -1;
    const int index = static_cast<int>(chunk.sites.size());
    chunk.sites.push_back(name);
    chunkSites_.emplace(name, index);
    return index;
}

void ChunkParser::addRow(const SampleRow& row, ParsedChunk& chunk)
{
    SampleCounts& counts = chunk.counts;
    const auto skip = [&counts](SkipReason reason) { ++counts.skipped[static_cast<int>(reason)]; };
    ++counts.rows;
    // A site is a lake from the row where it first appears.
    const int site = siteIndex(row.site, chunk);
    std::optional<std::optional<CivilDate>> date;  // read once a result needs it
    for (SampleFields fields : row.results) {
        ++counts.results;
        const Identification identity = identifyResult(fields, rules_);
        if (!identity.parameter) {
            skip(identity.reason);
            continue;
        }
        if (!date)
            date = readSampleDate(row.date);
        if (!*date) {
            skip(SkipReason::UnreadableDate);
            continue;
        }
        if (!seasonYear(**date, rules_)) {
            skip(SkipReason::OutsideSeason);
            continue;
        }
        if (site < 0) {
            skip(SkipReason::SiteOfNoLake);
            continue;
        }
        reader_.readValueTexts(fields);
        const Valuation valuation = valueResult(fields, *identity.parameter, rules_);
        if (!valuation.value) {
            skip(valuation.reason);
            continue;
        }
        ++counts.accepted[static_cast<int>(*identity.parameter)];
        const int slot = identity.preferredMethod ? PreferredChlorophyllSlot : static_cast<int>(*identity.parameter);
        chunk.results.push_back({static_cast<std::uint32_t>(site), dayNumber(**date), static_cast<std::uint8_t>(slot),
                                 *valuation.value});
    }
}

}  // namespace trophex::samples
