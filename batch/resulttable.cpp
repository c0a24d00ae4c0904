#include "batch/resulttable.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace trophex::batch {

ResultConsumer ResultTable::consumer()
{
    ResultConsumer consumer;
    consumer.head = [this](std::string_view head, const ColumnLayout& layout) { takeHead(head, layout); };
    consumer.chunk = [this](ResultChunk& chunk) { takeChunk(chunk); };
    return consumer;
}

void ResultTable::takeHead(std::string_view head, const ColumnLayout& layout)
{
    head_ = head;
    layout_ = layout;
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (head.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        head.remove_prefix(ByteOrderMark.size());
    CsvRecord names;
    scanCsvRecord(head, 0, true, &names);
    columnNames_.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
        columnNames_.emplace_back(names[i]);
    hasResponse_ = columnNames_.size() > resultColumnCount() + 2;
}

void ResultTable::takeChunk(const ResultChunk& chunk)
{
    const std::string_view records = chunk.records;
    const std::string_view rows = chunk.rows;
    std::size_t rowStart = 0;
    for (const ResultRowEntry& entry : chunk.entries) {
        const std::uint64_t shift = recordsTaken_ + entry.recordIndex - rows_.size();
        if (shift != (rowShifts_.empty() ? 0 : rowShifts_.back().second))
            rowShifts_.emplace_back(rows_.size(), shift);
        const std::string_view record = records.substr(entry.recordStart, entry.recordLength);
        const std::string_view row = rows.substr(rowStart, entry.rowLength);
        rowStart += entry.rowLength;
        rows_.push_back({keep(record, row), entry.recordLength, entry.rowLength, entry.averageTsi, entry.ecoregion,
                         entry.goal, entry.ok});
    }
    recordsTaken_ += chunk.recordCount;
}

std::uint64_t ResultTable::spreadsheetRow(std::size_t row) const
{
    const auto after = std::upper_bound(rowShifts_.begin(), rowShifts_.end(), row,
                                        [](std::size_t lake, const auto& shift) { return lake < shift.first; });
    const std::uint64_t shift = after == rowShifts_.begin() ? 0 : std::prev(after)->second;
    return layout_.headerRow + 1 + row + shift;
}

std::uint64_t ResultTable::keep(std::string_view record, std::string_view row)
{
    const std::size_t bytes = record.size() + row.size();
    if (bytes > BlockBytes)
        throw std::length_error("a row of the table is too long to keep");
    if (BlockBytes - lastBlockUsed_ < bytes) {
        blocks_.push_back(std::make_unique<char[]>(BlockBytes));
        lastBlockUsed_ = 0;
    }
    char* start = blocks_.back().get() + lastBlockUsed_;
    std::memcpy(start, record.data(), record.size());
    std::memcpy(start + record.size(), row.data(), row.size());
    const std::uint64_t offset = (blocks_.size() - 1) * BlockBytes + lastBlockUsed_;
    lastBlockUsed_ += bytes;
    return offset;
}

const char* ResultTable::at(std::uint64_t offset) const
{
    return blocks_[offset / BlockBytes].get() + offset % BlockBytes;
}

std::string_view ResultTable::inputRecord(std::size_t row) const
{
    const Row& r = rows_[row];
    return {at(r.offset), r.recordLength};
}

std::string_view ResultTable::resultRow(std::size_t row) const
{
    const Row& r = rows_[row];
    return {at(r.offset) + r.recordLength, r.rowLength};
}

std::optional<Ecoregion> ResultTable::ecoregion(std::size_t row) const
{
    const std::int8_t region = rows_[row].ecoregion;
    if (region < 0)
        return std::nullopt;
    return static_cast<Ecoregion>(region);
}

std::optional<TrophicClass> ResultTable::trophicClass(std::size_t row) const
{
    return trophicClassOf(rows_[row].averageTsi);
}

std::optional<GoalStatus> ResultTable::goalStatus(std::size_t row) const
{
    const std::int8_t goal = rows_[row].goal;
    if (goal < 0)
        return std::nullopt;
    return static_cast<GoalStatus>(goal);
}

void ResultTable::resultFields(std::size_t row, CsvRecord& fields) const
{
    scanCsvRecord(resultRow(row), 0, true, &fields);
}

Error ResultTable::inputTexts(std::size_t row, CsvRecord& scratch, InputTexts& texts) const
{
    const std::string_view record = inputRecord(row);
    if (record.empty()) {
        texts = InputTexts{};
        return {ErrorCode::RowTooLong, {}};
    }
    scanCsvRecord(record, 0, true, &scratch, layout_.dialect.separator);
    return rowInputs(scratch, layout_, texts);
}

void ResultTable::write(const std::function<bool(std::string_view)>& write) const
{
    constexpr std::size_t PieceBytes = std::size_t{1} << 20;
    std::string piece;
    appendRowsInDialect(piece, head_, layout_.dialect);
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (piece.size() >= PieceBytes) {
            if (!write(piece))
                return;
            piece.clear();
        }
        appendRowsInDialect(piece, resultRow(row), layout_.dialect);
    }
    write(piece);
}

std::size_t ResultTable::memoryBytes() const
{
    return blocks_.size() * BlockBytes + rows_.capacity() * sizeof(Row) + rowShifts_.capacity() * sizeof(rowShifts_[0])
           + head_.capacity();
}

}  // namespace trophex::batch
