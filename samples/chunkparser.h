#pragma once
// The rules applied to a chunk of sample records, on any thread: what comes out is the
// chunk's counts, the sites it names and its accepted results, small enough to hand to
// the one thread that adds them up in input order.

#include "samples/lakestable.h"
#include "samples/samplerules.h"
#include "samples/sampletable.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trophex::samples {

// What happened to the rows and results read.
struct SampleCounts {
    std::uint64_t rows = 0;     // data rows, blank ones not counted
    std::uint64_t results = 0;  // results in them (the wide form has up to four a row)
    std::array<std::uint64_t, ParameterCount> accepted{};
    std::array<std::uint64_t, SkipReasonCount> skipped{};

    void add(const SampleCounts& other);
};

// Where an accepted result goes among the daily totals: the parameter's own slot, or the one
// of chlorophyll a corrected for or free of pheophytin.
inline constexpr int PreferredChlorophyllSlot = ParameterCount;
inline constexpr int DailySlotCount = ParameterCount + 1;

struct AcceptedResult {
    std::uint32_t site;  // index into ParsedChunk::sites
    std::int32_t day;    // day number of its date
    std::uint8_t slot;   // parameter, or PreferredChlorophyllSlot
    double value;        // in the model's unit
};

struct ParsedChunk {
    SampleCounts counts;
    std::vector<std::string> sites;  // those of a lake, in the order the chunk first names them
    std::vector<AcceptedResult> results;
};

class ChunkParser {
public:
    // With a lakes table only its sites are results' sites; without one every site is.
    ChunkParser(const SampleLayout& layout, const SampleRules& rules, const LakesTable* lakes);

    // The records of the chunk, each whole.
    ParsedChunk parse(const std::string& records);
    // A row too long to be read, counted as one skipped result.
    static ParsedChunk unreadableRow();

private:
    void addRow(const SampleRow& row, ParsedChunk& chunk);
    // The chunk's index of the site; -1 for a site of no lake.
    int siteIndex(std::string_view site, ParsedChunk& chunk);

    const SampleLayout& layout_;  // the table's shape and separator
    const SampleRules& rules_;
    const LakesTable* lakes_;
    batch::CsvRecord record_;
    SampleRowReader reader_;
    std::unordered_map<std::string, int> chunkSites_;  // site to index in the chunk's sites
};

}  // namespace trophex::samples
