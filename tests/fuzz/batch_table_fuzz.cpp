// Fuzzes the CSV reader and the batch table with arbitrary bytes as the input table, header
// row included. The first byte chooses whether a usable header is put before the rest, so
// that the fuzzer reaches the rows as often as the header, and where the bytes are cut into
// the pieces that reads deliver. Whatever the bytes:
// - the streaming reader finds the same records, whatever the pieces it is given;
// - a run never crashes or hangs, and gives the same bytes whatever the pieces its reads
//   return and whether its rows are written or handed to a consumer (and put in the
//   table's dialect, as the writing run puts them);
// - with a usable header there is exactly one result row per non-blank row of the input,
//   each with every column, and each either "ok" with every result or carrying the reason
//   why it has none;
// - the entries that a consumer receives describe those rows and the records they came from.

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/csv.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using trophex::fuzz::require;
using namespace trophex::batch;

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view UsableHeader =
    "name,ecoregion,watershed_area,watershed_area_unit,lake_area,mean_depth,tp,tp_unit,chla,secchi,alkalinity,"
    "stream_p,v1,s2\n";

struct Record {
    std::vector<std::string> fields;  // unescaped
    bool unterminated;                // the data ended inside a quoted field
    std::size_t end;                  // position after the record's line end
    bool operator==(const Record& other) const
    {
        return fields == other.fields && unterminated == other.unterminated && end == other.end;
    }
};

Record recordAt(std::string_view data, std::size_t& pos, bool atEnd, CsvRecord& scratch, char separator = ',')
{
    Record record;
    record.end = scanCsvRecord(data, pos, atEnd, &scratch, separator);
    if (record.end == std::string_view::npos)
        return record;
    for (std::size_t i = 0; i < scratch.size(); ++i)
        record.fields.emplace_back(scratch[i]);
    record.unterminated = scratch.unterminatedQuote();
    pos = record.end;
    return record;
}

std::vector<Record> wholeRecords(std::string_view data, char separator = ',')
{
    std::vector<Record> records;
    CsvRecord scratch;
    for (std::size_t pos = 0; pos < data.size();)
        records.push_back(recordAt(data, pos, true, scratch, separator));
    return records;
}

// The records as a stream reader finds them, given the data in pieces cut at random.
std::vector<Record> streamedRecords(std::string_view data, std::mt19937& cuts)
{
    std::vector<Record> records;
    CsvRecord scratch;
    // Pieces grow with the data, so that a long record is not scanned over and over.
    const std::size_t mostPerPiece = std::max<std::size_t>(64, data.size() / 256);
    std::size_t received = 0;
    std::size_t pos = 0;
    while (received < data.size()) {
        received = std::min(data.size(), received + 1 + cuts() % mostPerPiece);
        const bool atEnd = received == data.size();
        const std::string_view buffer = data.substr(0, received);
        while (pos < buffer.size()) {
            Record record = recordAt(buffer, pos, atEnd, scratch);
            if (record.end == std::string_view::npos)
                break;
            records.push_back(std::move(record));
        }
    }
    return records;
}

ReadFunction piecesOf(std::string_view data, std::size_t piece)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [data, piece, pos](char* buffer, std::size_t capacity) {
        const std::size_t n = std::min({capacity, piece, data.size() - *pos});
        data.copy(buffer, n, *pos);
        *pos += n;
        return n;
    };
}

struct Expected {
    bool hasHeader = false;           // a non-blank record comes first
    bool headerUsable = false;        // and names the required columns once each
    std::size_t rows = 0;             // non-blank records after the header
    bool overlong = false;            // a record is longer than a row may be
    CsvDialect dialect;               // of the header row
};

Expected expectedOf(std::string_view table)
{
    Expected expected;
    if (table.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        table.remove_prefix(ByteOrderMark.size());
    CsvRecord record;
    std::size_t pos = 0;
    while (pos < table.size()) {
        const std::size_t start = pos;
        if (!expected.hasHeader)
            expected.dialect = detectCsvDialect(table, pos);
        pos = scanCsvRecord(table, pos, true, &record, expected.dialect.separator);
        expected.overlong = expected.overlong || pos - start >= RecordChunker::MaxRecordBytes;
        if (!expected.hasHeader) {
            if (record.isBlank())
                continue;
            expected.hasHeader = true;
            expected.headerUsable = readHeader(record, expected.dialect).layout.has_value();
        } else if (!record.isBlank() || record.unterminatedQuote()) {
            ++expected.rows;
        }
    }
    return expected;
}

void checkRows(std::string_view output, const Expected& expected)
{
    std::vector<Record> rows = wholeRecords(output, expected.dialect.separator);
    require(!rows.empty(), "a run with a usable header writes the header row");
    rows.erase(rows.begin());
    require(rows.size() == expected.rows, "one result row per non-blank input row");
    for (const Record& row : rows) {
        require(row.fields.size() == resultColumnCount() + 2, "every row has every column");
        const std::string& status = row.fields.back();
        require(!status.empty(), "every row has a status");
        const bool ok = status == SuccessStatus;
        for (std::size_t i = 1; i + 1 < row.fields.size(); ++i)
            require(row.fields[i].empty() != ok, "a calculated row has every result, another none");
    }
}

void checkEntries(const std::vector<ResultChunk>& chunks, std::size_t rows)
{
    std::size_t entries = 0;
    for (const ResultChunk& chunk : chunks) {
        std::size_t rowStart = 0;
        for (const ResultRowEntry& entry : chunk.entries) {
            require(std::size_t{entry.recordStart} + entry.recordLength <= chunk.records.size(),
                    "an entry's record lies in its chunk");
            const std::vector<Record> row = wholeRecords(std::string_view(chunk.rows).substr(rowStart, entry.rowLength));
            require(row.size() == 1, "an entry spans one result row");
            require(entry.ok == (row.front().fields.back() == SuccessStatus), "an entry is ok exactly when its row is");
            rowStart += entry.rowLength;
            ++entries;
        }
        require(rowStart == chunk.rows.size(), "the entries cover the chunk's rows");
    }
    require(entries == rows, "one entry per result row");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    std::string table(trophex::fuzz::bytesOf(data + 1, size - 1));
    if (control & 1)
        table.insert(0, UsableHeader);

    std::mt19937 cuts(control);
    require(streamedRecords(table, cuts) == wholeRecords(table), "a stream gives the records of the whole data");

    BatchSettings settings;
    settings.workers = 2;
    std::string written;
    const BatchSummary summary =
        runBatch(piecesOf(table, 1 + (control >> 1)), [&](std::string_view bytes) { written += bytes; }, settings);

    std::string consumed;
    std::vector<ResultChunk> chunks;
    CsvDialect dialect;
    ResultConsumer consumer;
    consumer.head = [&](std::string_view head, const ColumnLayout& layout) {
        dialect = layout.dialect;
        appendRowsInDialect(consumed, head, dialect);
    };
    consumer.chunk = [&](ResultChunk& chunk) {
        appendRowsInDialect(consumed, chunk.rows, dialect);
        chunks.push_back(std::move(chunk));
    };
    const BatchSummary handedOver = runBatch(piecesOf(table, table.size() + 1), consumer, settings);
    require(consumed == written && handedOver.error == summary.error,
            "the same results whatever the reads and whether written or handed over");

    const Expected expected = expectedOf(table);
    if (expected.overlong)
        return 0;
    require(summary.ok() == expected.headerUsable, "a run fails exactly when the header cannot be used");
    if (!summary.ok())
        return 0;
    require(summary.totals.lakes == expected.rows, "the summary counts every row");
    checkRows(written, expected);
    checkEntries(chunks, expected.rows);
    return 0;
}
