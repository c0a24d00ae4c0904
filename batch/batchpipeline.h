#pragma once
// Streaming batch assessment: a reader thread cuts the input into chunks of whole records,
// worker threads calculate the lakes of a chunk and format their result rows, and the
// calling thread writes the chunks in input order. At most a fixed number of chunks is in
// flight, so memory stays the same whatever the number of rows.

#include "batch/batchtable.h"
#include "batch/csv.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trophex::batch {

// Reads up to capacity bytes into buffer; returns 0 at the end of the input. Throws
// std::runtime_error when the input cannot be read. A run that stops early (a failed
// output, a cancellation) does not wait for a read in progress, which may block for as long
// as a pipe's writer keeps quiet: runBatch returns, and that read is the last call of a copy
// of the function, on a thread that ends when it returns. What the function reads from must
// therefore be held by the function itself (a shared_ptr), not borrowed from the caller.
using ReadFunction = std::function<std::size_t(char* buffer, std::size_t capacity)>;
// Writes all bytes; throws std::runtime_error when the output cannot be written.
using WriteFunction = std::function<void(std::string_view bytes)>;

// Cuts the input into chunks of whole records. Bytes before the header row's first field
// may be a UTF-8 byte order mark, which is noted and dropped.
class RecordChunker {
public:
    static constexpr std::size_t ChunkBytes = std::size_t{1} << 18;      // input bytes a chunk aims at
    static constexpr std::size_t MaxRecordBytes = std::size_t{1} << 20;  // longer records are skipped

    explicit RecordChunker(ReadFunction read) : read_(std::move(read)) {}

    // The first record that is not blank; false when the input has none.
    bool readHeader(CsvRecord& header);

    struct Chunk {
        std::string records;      // whole records, each with its line end (the last may lack it)
        bool skippedLongRecord;   // instead of records: one record over MaxRecordBytes was skipped
        std::uint64_t inputBytes;  // input consumed by this chunk
    };
    // The next chunk; false at the end of the input.
    bool nextChunk(Chunk& chunk);

    bool hadByteOrderMark() const { return byteOrderMark_; }
    // How the table separates its fields, as its header row shows.
    CsvDialect dialect() const { return dialect_; }
    // The header's row as a spreadsheet numbers it: 1, unless blank lines come before it.
    std::uint64_t headerRow() const { return headerRow_; }
    // Input consumed by the header row, blank lines and byte order mark before it.
    std::uint64_t headerBytes() const { return headerBytes_; }
    // The header row's line end, "\r\n", "\r" or "\n"; results are written with the same.
    const char* lineEnd() const { return lineEnd_; }

private:
    void fill(std::size_t target);
    std::uint64_t skipLine();

    ReadFunction read_;              // where the input comes from
    std::string buffer_;             // unconsumed input, starting at a record
    std::string piece_;              // what one read gives, before it joins the buffer
    bool atEnd_ = false;             // the input has no more bytes
    bool started_ = false;           // the start was checked for a byte order mark
    bool byteOrderMark_ = false;     // the input began with one
    const char* lineEnd_ = "\n";     // of the header row
    CsvDialect dialect_;             // of the header row
    std::uint64_t headerRow_ = 0;    // spreadsheet row of the header, once read
    std::uint64_t headerBytes_ = 0;  // input consumed by readHeader
};

// Starts a thread that runs the task; throws (std::system_error) when the system gives no
// thread, as under a process limit. Tests put one in BatchSettings that fails on purpose.
using ThreadStarter = std::function<std::thread(std::function<void()> task)>;

// A plain std::thread.
std::thread startSystemThread(std::function<void()> task);

// Lets another thread stop a running batch. The run stops before the next chunk is handed
// over; what was handed over before stays as it was, and the summary says the run was
// cancelled.
class BatchCancellation {
public:
    // From any thread, at any time; a run that starts after it stops at once.
    void cancel();
    bool cancelled() const;

    // Called by the run: wake stops it, and is called at once when the run was cancelled
    // already. Cleared again before the run returns.
    void watch(std::function<void()> wake);

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;         // cancel() was called
    std::function<void()> wake_;     // stops the run that watches, if one does
};

struct BatchSettings {
    ResultStyle style = ResultStyle::Display;       // display texts or full-precision numbers
    unsigned workers = 1;                           // calculating threads; 0: everything on the calling thread
    ThreadStarter startThread = startSystemThread;  // how the reader and the workers are started
    std::optional<ResponseSettings> response;       // the load response columns, when a target is given
    BatchCancellation* cancellation = nullptr;      // set to let another thread stop the run
};

struct BatchProgress {
    std::uint64_t lakes = 0;       // result rows written
    std::uint64_t failed = 0;      // of which with an error status
    std::uint64_t inputBytes = 0;  // input consumed by the rows written
};

struct BatchSummary {
    BatchProgress totals;    // what was written
    std::string error;       // why the run stopped early; empty when it completed
    bool cancelled = false;  // it stopped because BatchCancellation::cancel was called
    bool ok() const { return error.empty(); }
};

inline constexpr const char* CancelledError = "the batch was cancelled";

// One result row of a chunk and the input record it came from.
struct ResultRowEntry {
    std::uint32_t recordStart;   // offset of the input record in ResultChunk::records, bytes
    std::uint32_t recordLength;  // its length with its line end, bytes; 0 for a skipped overlong row
    std::uint32_t rowLength;     // length of the result row with its line end, bytes; the rows of a
                                 // chunk follow one another in ResultChunk::rows
    std::uint32_t recordIndex;   // of the input record among the chunk's records, blank ones included
    bool ok;                     // the lake was calculated
    std::int8_t ecoregion;       // index into EcoregionCodes; -1 when the row names none
    std::int8_t goal;            // the load response's GoalStatus; -1 without a target or a calculation
    float averageTsi;            // the average trophic state index as the row shows it; NaN when none
};

// The results of one chunk of input.
struct ResultChunk {
    std::string records;                  // the chunk's input records, blank ones included
    std::string rows;                     // its result rows, each with its line end
    std::vector<ResultRowEntry> entries;  // one per result row, in order
    std::uint64_t recordCount = 0;        // records of the chunk, blank ones included
    BatchProgress counts;                 // rows, failed rows and input bytes of the chunk
};

// Where the results of a run go, on the calling thread: the header row first, then every
// chunk in input order. A consumer may take the chunk's strings.
struct ResultConsumer {
    // The results' header row, after the byte order mark when the input had one and with its
    // line end, and how the input's columns were read.
    std::function<void(std::string_view head, const ColumnLayout& layout)> head;
    std::function<void(ResultChunk& chunk)> chunk;
};

// What a caller may watch while a batch runs; every call comes on the calling thread.
struct BatchObserver {
    std::function<void(const std::string& name)> ignoredColumn;  // a header name that names no input
    std::function<void(const BatchProgress&)> progress;          // after each chunk is written
};

// Assesses every lake of the table, handing the results to the consumer.
BatchSummary runBatch(const ReadFunction& read, const ResultConsumer& consumer, const BatchSettings& settings,
                      const BatchObserver& observer = {});

// Appends result rows written by the batch (with commas and full stops, a byte order mark
// before the header row perhaps) as a table of the dialect writes them: separated as it is,
// and with decimal commas and no thousands separators in every number but the lake's name
// where the dialect has decimal commas.
void appendRowsInDialect(std::string& out, std::string_view rows, CsvDialect dialect);

// Assesses every lake of the table, writing the results as a table of its own dialect.
BatchSummary runBatch(const ReadFunction& read, const WriteFunction& write, const BatchSettings& settings,
                      const BatchObserver& observer = {});

}  // namespace trophex::batch
