#pragma once
// The results of a batch held whole, for a window that shows, sorts and saves them: every
// result row as the batch writes it, together with the input record it came from, kept in
// large blocks of text, and the few facts per row that filters need. A lake takes the
// bytes of its record and its row and some 24 more.

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/csv.h"
#include "model/ecoregion.h"
#include "model/errors.h"
#include "model/inputs.h"
#include "response/loadresponse.h"
#include "model/trophicclass.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trophex::batch {

class ResultTable {
public:
    // Takes the results of a run, on the run's calling thread; the table must outlive the run.
    ResultConsumer consumer();

    std::size_t size() const { return rows_.size(); }
    // The results' header row as the batch writes it, byte order mark and line end included.
    const std::string& head() const { return head_; }
    // The names of the result columns, from "name" to "status".
    const std::vector<std::string>& columnNames() const { return columnNames_; }
    // The input's header names that name no input, in the order of the header.
    const std::vector<std::string>& ignoredColumns() const { return layout_.ignoredNames; }
    // A lake's row in the input as a spreadsheet numbers it: the header is row 1 (unless blank
    // lines come before it), and every record counts once, blank ones and those with quoted
    // line ends included.
    std::uint64_t spreadsheetRow(std::size_t row) const;

    // A lake's result row as the batch writes it, with its line end, and the input record it
    // came from (empty for a row skipped as too long).
    std::string_view resultRow(std::size_t row) const;
    std::string_view inputRecord(std::size_t row) const;
    bool calculated(std::size_t row) const { return rows_[row].ok; }
    std::optional<Ecoregion> ecoregion(std::size_t row) const;
    std::optional<TrophicClass> trophicClass(std::size_t row) const;
    // The answer of the lake's load response; none without a target or a calculation.
    std::optional<GoalStatus> goalStatus(std::size_t row) const;
    // Whether the rows carry the load response columns of a target.
    bool hasResponse() const { return hasResponse_; }

    // The fields of a lake's result row, unescaped.
    void resultFields(std::size_t row, CsvRecord& fields) const;
    // A lake's 31 input texts as the batch read them, and why the batch could not calculate
    // it from them, if it could not. scratch holds the parsed record.
    Error inputTexts(std::size_t row, CsvRecord& scratch, InputTexts& texts) const;

    // The table as the batch writes it, in the input's dialect: the header row, then every row
    // in input order.
    // Stops when write returns false.
    void write(const std::function<bool(std::string_view)>& write) const;

    // Bytes held by the table.
    std::size_t memoryBytes() const;

private:
    struct Row {
        std::uint64_t offset;        // of the input record in the blocks; the result row follows it
        std::uint32_t recordLength;  // bytes
        std::uint32_t rowLength;     // bytes, with the line end
        float averageTsi;            // as the row shows it; NaN when it shows none
        std::int8_t ecoregion;       // index into EcoregionCodes; -1 for none
        std::int8_t goal;            // GoalStatus of the load response; -1 for none
        bool ok;                     // the lake was calculated
    };

    void takeHead(std::string_view head, const ColumnLayout& layout);
    void takeChunk(const ResultChunk& chunk);
    // Copies record and row into the blocks, next to each other; returns where they start.
    std::uint64_t keep(std::string_view record, std::string_view row);
    const char* at(std::uint64_t offset) const;

    static constexpr std::size_t BlockBytes = std::size_t{16} << 20;  // a row never spans two blocks

    std::string head_;                        // header row of the results
    std::vector<std::string> columnNames_;    // its fields
    ColumnLayout layout_;                     // where the input records hold each input
    bool hasResponse_ = false;                // the header has the load response columns
    std::vector<std::unique_ptr<char[]>> blocks_;  // records and rows, BlockBytes each
    std::size_t lastBlockUsed_ = BlockBytes;  // bytes used in the last block
    std::vector<Row> rows_;                   // one per lake, in input order
    // Where a lake's spreadsheet row starts to lie further past its index than the lake
    // before's (after blank records): the lake and the records it then lies past its index.
    std::vector<std::pair<std::size_t, std::uint64_t>> rowShifts_;
    std::uint64_t recordsTaken_ = 0;          // input records after the header in the chunks taken
};

}  // namespace trophex::batch
