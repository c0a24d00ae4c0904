#include "samples/samplesrun.h"

#include "batch/batchtable.h"
#include "batch/csv.h"
#include "batch/lakesview.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

namespace trophex::samples {

namespace {

// Reads the lakes table, when one is given, into lakes; false with the error when it
// cannot be used.
bool readLakes(const batch::ReadFunction* read, std::optional<LakesTable>& lakes, std::string& error)
{
    if (!read)
        return true;
    LakesTableReading reading = readLakesTable(*read);
    if (!reading.table) {
        error = reading.error;
        return false;
    }
    lakes = std::move(reading.table);
    return true;
}

// Parses the chunks on threads of their own, at most a few ahead, and adds their results
// up in input order on the calling thread.
class ParallelParse {
public:
    ParallelParse(const SampleLayout& layout, const SampleRules& rules, const LakesTable* lakes,
                  SampleAccumulator& accumulator, Threading threading)
        : layout_(layout), rules_(rules), lakes_(lakes), accumulator_(accumulator), threading_(threading)
    {
        const unsigned processors = std::thread::hardware_concurrency();
        maxInFlight_ = 2 * std::max(1u, processors);
    }
    ParallelParse(const ParallelParse&) = delete;
    ParallelParse& operator=(const ParallelParse&) = delete;
    // Waits for every parse still running, so that none outlives what it reads.
    ~ParallelParse()
    {
        for (auto& parse : inFlight_)
            if (parse.valid())
                parse.wait();
    }

    void add(batch::RecordChunker::Chunk chunk)
    {
        if (chunk.skippedLongRecord) {
            inFlight_.push_back(std::async(std::launch::deferred, &ChunkParser::unreadableRow));
        } else {
            auto records = std::make_shared<std::string>(std::move(chunk.records));
            inFlight_.push_back(parseLater(std::move(records)));
        }
        while (inFlight_.size() >= maxInFlight_)
            addOldest();
    }

    void finish()
    {
        while (!inFlight_.empty())
            addOldest();
    }

private:
    // A parse on a thread of its own, or on the calling thread when its results are taken.
    std::future<ParsedChunk> parseLater(std::shared_ptr<std::string> records)
    {
        return std::async(threading_ == Threading::CallingThreadOnly ? std::launch::deferred : std::launch::async,
                          [this, records] { return ChunkParser(layout_, rules_, lakes_).parse(*records); });
    }

    void addOldest()
    {
        const ParsedChunk parsed = inFlight_.front().get();
        inFlight_.pop_front();
        accumulator_.add(parsed);
    }

    const SampleLayout& layout_;
    const SampleRules& rules_;
    const LakesTable* lakes_;
    SampleAccumulator& accumulator_;
    std::size_t maxInFlight_;
    std::deque<std::future<ParsedChunk>> inFlight_;
    Threading threading_;
};

void readSampleRecords(const batch::ReadFunction& samples, const LakesTable* lakes, const SampleRules& rules,
                       Threading threading, LakeYearTable& table)
{
    batch::RecordChunker chunker(samples);
    batch::CsvRecord record;
    if (!chunker.readHeader(record)) {
        table.summary.error = "the samples table has no header row";
        return;
    }
    const SampleHeaderReading header = readSampleHeader(record, chunker.dialect());
    if (!header.layout) {
        table.summary.error = header.error;
        return;
    }
    SampleAccumulator accumulator(rules, lakes);
    {
        ParallelParse parse(*header.layout, rules, lakes, accumulator, threading);
        batch::RecordChunker::Chunk chunk;
        while (chunker.nextChunk(chunk))
            parse.add(std::move(chunk));
        parse.finish();
    }
    table.lakeYears = accumulator.takeLakeYears();
    table.lakeNames = accumulator.lakeNames();
    table.summary.counts = accumulator.counts();
    table.summary.sites = accumulator.siteCount();
    table.summary.lakeYears = table.lakeYears.size();
    for (std::size_t i = 0; i < table.lakeYears.size(); ++i)
        table.summary.lakes += i == 0 || table.lakeYears[i].lake != table.lakeYears[i - 1].lake;

    const char* lineEnd = chunker.lineEnd();
    appendLakeYearHeader(table.csv, lakes, lineEnd);
    for (const LakeYear& lakeYear : table.lakeYears)
        appendLakeYearRow(table.csv, lakeYear, table.lakeNames[static_cast<std::size_t>(lakeYear.lake)], lakes, rules,
                          lineEnd);
}

batch::ReadFunction readerOf(const std::string& text)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [&text, pos](char* buffer, std::size_t capacity) {
        const std::size_t n = text.copy(buffer, capacity, *pos);
        *pos += n;
        return n;
    };
}

// The position of the comma after a record's first field.
std::size_t afterFirstField(std::string_view record)
{
    std::size_t pos = 0;
    if (!record.empty() && record.front() == '"') {
        for (pos = 1; pos < record.size(); ++pos) {
            if (record[pos] != '"')
                continue;
            if (pos + 1 < record.size() && record[pos + 1] == '"')
                ++pos;
            else
                break;
        }
    }
    return record.find(',', pos);
}

// The records of a table, each with its line end.
std::vector<std::string_view> recordsOf(std::string_view table)
{
    std::vector<std::string_view> records;
    for (std::size_t pos = 0; pos < table.size();) {
        const std::size_t end = batch::scanCsvRecord(table, pos, true, nullptr);
        records.push_back(table.substr(pos, end - pos));
        pos = end;
    }
    return records;
}

std::string_view withoutLineEnd(std::string_view record)
{
    while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
        record.remove_suffix(1);
    return record;
}

// The lake-year table with the batch's result columns, but its name, after each row.
std::string assessedTable(const std::string& table, const batch::BatchSettings& settings)
{
    std::string results;
    const batch::BatchSummary summary =
        batch::runBatch(readerOf(table), [&results](std::string_view bytes) { results += bytes; }, settings);
    if (!summary.ok())
        throw std::runtime_error("the lake-years cannot be assessed: " + summary.error);
    const std::vector<std::string_view> rows = recordsOf(table);
    const std::vector<std::string_view> assessed = recordsOf(results);
    if (rows.size() != assessed.size())
        throw std::runtime_error("the assessment gave another number of rows than the lake-years");
    std::string merged;
    merged.reserve(table.size() + results.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        merged += withoutLineEnd(rows[i]);
        const std::size_t comma = afterFirstField(assessed[i]);
        if (comma != std::string_view::npos)
            merged += assessed[i].substr(comma);
    }
    return merged;
}

std::string trendTable(const LakeYearTable& table, const TrendSettings& settings, const char* lineEnd)
{
    std::string out;
    appendTrendHeader(out, lineEnd);
    for (const Trend& trend : lakeTrends(table.lakeYears, settings))
        appendTrendRow(out, trend, table.lakeNames[static_cast<std::size_t>(trend.lake)], lineEnd);
    return out;
}

// The line end the lake-year table was written with.
const char* lineEndOf(const std::string& csv)
{
    const std::size_t end = csv.find_first_of("\r\n");
    if (end == std::string::npos || csv[end] == '\n')
        return "\n";
    return end + 1 < csv.size() && csv[end + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

LakeYearTable readLakeYears(const batch::ReadFunction& samples, const batch::ReadFunction* lakes,
                            const SampleRules& rules, Threading threading)
{
    LakeYearTable table;
    try {
        std::optional<LakesTable> lakesTable;
        if (readLakes(lakes, lakesTable, table.summary.error))
            readSampleRecords(samples, lakesTable ? &*lakesTable : nullptr, rules, threading, table);
        table.withLakes = lakesTable.has_value();
    } catch (const std::exception& e) {
        table.summary.error = e.what();
    }
    return table;
}

std::string batchInputOf(const LakeYearTable& table)
{
    if (table.withLakes)
        return table.csv;
    std::string columns;
    for (Input input : {Input::EcoRegComboBox, Input::WareaEditBox, Input::LareaEditBox, Input::DepthEditBox})
        columns += std::string(",") + batch::inputColumnName(input);
    const char* lineEnd = lineEndOf(table.csv);
    std::string input;
    bool header = true;
    for (std::string_view record : recordsOf(table.csv)) {
        input += withoutLineEnd(record);
        input += header ? columns : std::string(4, ',');
        input += lineEnd;
        header = false;
    }
    return input;
}

SamplesSummary runSamples(const batch::ReadFunction& samples, const batch::ReadFunction* lakes,
                          const SamplesSettings& settings, const SamplesOutput& output)
{
    LakeYearTable table = readLakeYears(samples, lakes, settings.rules);
    if (!table.summary.ok())
        return table.summary;
    try {
        output.lakeYears(settings.assess ? assessedTable(table.csv, settings.batch) : table.csv);
        if (output.trends)
            output.trends(trendTable(table, settings.trends, lineEndOf(table.csv)));
    } catch (const std::exception& e) {
        table.summary.error = e.what();
    }
    return table.summary;
}

std::string summaryText(const SamplesSummary& summary)
{
    const SampleCounts& counts = summary.counts;
    std::string text = std::to_string(counts.rows) + " rows read, " + std::to_string(counts.results) + " results\n";
    text += "accepted:";
    for (Parameter parameter : Parameters)
        text += std::string(parameter == Parameters.front() ? " " : ", ") + parameterColumn(parameter) + " "
                + std::to_string(counts.accepted[static_cast<int>(parameter)]);
    text += "\nskipped:";
    bool any = false;
    for (int i = 0; i < SkipReasonCount; ++i) {
        if (counts.skipped[i] == 0)
            continue;
        text += std::string(any ? ", " : " ") + skipReasonText(static_cast<SkipReason>(i)) + " "
                + std::to_string(counts.skipped[i]);
        any = true;
    }
    text += any ? "\n" : " none\n";
    text += std::to_string(summary.sites) + " sites, " + std::to_string(summary.lakes) + " lakes, "
            + std::to_string(summary.lakeYears) + " lake-years\n";
    return text;
}

std::string samplesCountsText(const SampleCounts& counts, const NumberFormat& format)
{
    std::uint64_t accepted = 0;
    for (std::uint64_t n : counts.accepted)
        accepted += n;
    return "Samples: " + batch::countText(counts.rows, format) + " rows read, " + batch::countText(accepted, format)
           + " results accepted, " + batch::countText(counts.results - accepted, format) + " skipped";
}

std::string summaryJson(const SamplesSummary& summary)
{
    const SampleCounts& counts = summary.counts;
    std::string json = "{\"rows_read\":" + std::to_string(counts.rows) + ",\"results\":" + std::to_string(counts.results)
                       + ",\"accepted\":{";
    for (Parameter parameter : Parameters)
        json += std::string(parameter == Parameters.front() ? "" : ",") + "\"" + parameterColumn(parameter)
                + "\":" + std::to_string(counts.accepted[static_cast<int>(parameter)]);
    json += "},\"skipped\":{";
    for (int i = 0; i < SkipReasonCount; ++i)
        json += std::string(i == 0 ? "" : ",") + "\"" + skipReasonKey(static_cast<SkipReason>(i))
                + "\":" + std::to_string(counts.skipped[i]);
    json += "},\"sites\":" + std::to_string(summary.sites) + ",\"lakes\":" + std::to_string(summary.lakes)
            + ",\"lake_years\":" + std::to_string(summary.lakeYears) + "}\n";
    return json;
}

}  // namespace trophex::samples
