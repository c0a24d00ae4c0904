#include "batch/batchpipeline.h"

#include "model/calculation.h"
#include "model/errors.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace trophex::batch {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void RecordChunker::fill(std::size_t target)
{
    // Reads go through a piece of bounded size, so that an input that arrives a few bytes at a
    // time costs no more than one that arrives in large reads.
    constexpr std::size_t PieceBytes = std::size_t{1} << 16;
    while (!atEnd_ && buffer_.size() < target) {
        piece_.resize(std::min(PieceBytes, target - buffer_.size()));
        const std::size_t got = read_(piece_.data(), piece_.size());
        buffer_.append(piece_.data(), got);
        atEnd_ = got == 0;
    }
    if (!started_ && (buffer_.size() >= ByteOrderMark.size() || atEnd_)) {
        started_ = true;
        if (std::string_view(buffer_).substr(0, ByteOrderMark.size()) == ByteOrderMark) {
            byteOrderMark_ = true;
            buffer_.erase(0, ByteOrderMark.size());
            headerBytes_ += ByteOrderMark.size();
        }
    }
}

bool RecordChunker::readHeader(CsvRecord& header)
{
    for (;;) {
        fill(ChunkBytes);
        if (buffer_.empty())
            return false;
        dialect_ = detectCsvDialect(buffer_, 0);
        const std::size_t end = scanCsvRecord(buffer_, 0, atEnd_, &header, dialect_.separator);
        if (end == std::string_view::npos) {
            if (buffer_.size() >= MaxRecordBytes)
                throw std::runtime_error("the header row is longer than a row may be");
            fill(buffer_.size() + ChunkBytes);
            continue;
        }
        const bool crlf = end >= 2 && buffer_.compare(end - 2, 2, "\r\n") == 0;
        const bool cr = end >= 1 && buffer_[end - 1] == '\r';
        buffer_.erase(0, end);
        headerBytes_ += end;
        ++headerRow_;
        if (header.isBlank())
            continue;
        lineEnd_ = crlf ? "\r\n" : cr ? "\r" : "\n";
        return true;
    }
}

// Drops the input up to and including the next line end, quotes or not, and returns the
// number of bytes dropped.
std::uint64_t RecordChunker::skipLine()
{
    std::uint64_t skipped = 0;
    for (;;) {
        const std::size_t end = buffer_.find_first_of("\r\n");
        if (end != std::string::npos) {
            const std::size_t length = end + ((buffer_[end] == '\r' && end + 1 < buffer_.size()
                                               && buffer_[end + 1] == '\n') ? 2 : 1);
            buffer_.erase(0, length);
            return skipped + length;
        }
        skipped += buffer_.size();
        buffer_.clear();
        if (atEnd_)
            return skipped;
        fill(ChunkBytes);
    }
}

bool RecordChunker::nextChunk(Chunk& chunk)
{
    chunk.records.clear();
    chunk.skippedLongRecord = false;
    chunk.inputBytes = 0;
    std::size_t target = ChunkBytes;
    for (;;) {
        fill(target);
        if (buffer_.empty())
            return false;
        std::size_t boundary = 0;
        for (;;) {
            const std::size_t end = scanCsvRecord(buffer_, boundary, atEnd_, nullptr, dialect_.separator);
            if (end == std::string_view::npos)
                break;
            boundary = end;
            if (boundary == buffer_.size())
                break;
        }
        if (boundary > 0) {
            chunk.records.assign(buffer_, 0, boundary);
            buffer_.erase(0, boundary);
            chunk.inputBytes = boundary;
            return true;
        }
        if (buffer_.size() >= MaxRecordBytes) {
            chunk.skippedLongRecord = true;
            chunk.inputBytes = skipLine();
            return true;
        }
        target = buffer_.size() + ChunkBytes;
    }
}

namespace {

struct Job {
    std::uint64_t sequence;       // position of the chunk in the input
    RecordChunker::Chunk chunk;   // its records
};

// The hand-over points between the reader, the workers and the writer, under one lock.
class Pipeline {
public:
    explicit Pipeline(std::size_t maxInFlight) : maxInFlight_(maxInFlight) {}

    // Reader: waits for room; false once the run has stopped.
    bool submit(Job job)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        roomFreed_.wait(lock, [&] { return stopped_ || inFlight_ < maxInFlight_; });
        if (stopped_)
            return false;
        ++inFlight_;
        jobs_.push_back(std::move(job));
        jobQueued_.notify_one();
        return true;
    }

    void finishInput(std::uint64_t chunkCount)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inputDone_ = true;
        chunkCount_ = chunkCount;
        jobQueued_.notify_all();
        resultReady_.notify_all();
    }

    // Worker: the next job; false when there is none left or the run has stopped.
    bool fetch(Job& job)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        jobQueued_.wait(lock, [&] { return stopped_ || inputDone_ || !jobs_.empty(); });
        if (stopped_ || jobs_.empty())
            return false;
        job = std::move(jobs_.front());
        jobs_.pop_front();
        return true;
    }

    void deliver(std::uint64_t sequence, ResultChunk result)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        results_.emplace(sequence, std::move(result));
        resultReady_.notify_one();
    }

    // Writer: the result of the chunk with this sequence number; false after the last
    // chunk or once the run has stopped.
    bool collect(std::uint64_t sequence, ResultChunk& result)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        resultReady_.wait(lock, [&] {
            return stopped_ || results_.count(sequence) != 0 || (inputDone_ && sequence == chunkCount_);
        });
        const auto found = results_.find(sequence);
        if (stopped_ || found == results_.end())
            return false;
        result = std::move(found->second);
        results_.erase(found);
        return true;
    }

    void written()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --inFlight_;
        roomFreed_.notify_one();
    }

    // Stops every thread; the first error is the one reported.
    void fail(const std::string& error)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!stopped_)
            error_ = error;
        stopLocked();
    }

    // Stops every thread, reporting the run as cancelled unless it failed before.
    void cancel()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!stopped_) {
            error_ = CancelledError;
            cancelled_ = true;
        }
        stopLocked();
    }

    // Stops every thread without an error: after a completed run, where they have all
    // finished already, or while an exception unwinds the run.
    void stop()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopLocked();
    }

    std::string error()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return error_;
    }

    bool cancelled()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return cancelled_;
    }

private:
    void stopLocked()
    {
        stopped_ = true;
        roomFreed_.notify_all();
        jobQueued_.notify_all();
        resultReady_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable roomFreed_;      // a written chunk left room for another
    std::condition_variable jobQueued_;      // a job arrived or the input ended
    std::condition_variable resultReady_;    // a result arrived or the input ended
    const std::size_t maxInFlight_;          // chunks read but not yet written, at most
    std::size_t inFlight_ = 0;               // chunks read but not yet written
    std::deque<Job> jobs_;                   // chunks waiting for a worker
    std::map<std::uint64_t, ResultChunk> results_;  // calculated chunks waiting for the writer
    bool inputDone_ = false;                 // the reader has submitted every chunk
    std::uint64_t chunkCount_ = 0;           // chunks in the input, once inputDone_
    bool stopped_ = false;                   // an error or a cancellation stopped the run
    bool cancelled_ = false;                 // a cancellation stopped it
    std::string error_;                      // the first error
};

// Calculates the lakes of chunks; one per worker thread, reusing its buffers.
class ChunkCalculator {
public:
    ChunkCalculator(const ColumnLayout& layout, const BatchSettings& settings, const char* lineEnd)
        : layout_(layout), settings_(settings), lineEnd_(lineEnd)
    {
    }

    ResultChunk calculate(RecordChunker::Chunk& chunk)
    {
        ResultChunk result;
        result.counts.inputBytes = chunk.inputBytes;
        // Result rows run to about three times their input, full-precision ones to thirteen.
        const std::size_t growth = settings_.style == ResultStyle::Raw ? 13 : 3;
        result.rows.reserve(chunk.records.size() * growth + 1024);
        result.recordCount = 1;
        if (chunk.skippedLongRecord) {
            texts_ = InputTexts{};
            appendFailed(result, {}, {ErrorCode::RowTooLong, {}}, RecordSpan{});
            return result;
        }
        std::size_t pos = 0;
        for (result.recordCount = 0; pos < chunk.records.size(); ++result.recordCount) {
            const std::size_t start = pos;
            pos = scanCsvRecord(chunk.records, pos, true, &record_, layout_.dialect.separator);
            if (record_.isBlank() && !record_.unterminatedQuote())
                continue;
            calculateRecord(result, {start, pos - start, static_cast<std::size_t>(result.recordCount)});
        }
        result.records = std::move(chunk.records);
        return result;
    }

private:
    struct RecordSpan {
        std::size_t start = 0;   // offset in the chunk's records, bytes
        std::size_t length = 0;  // bytes, with the line end
        std::size_t index = 0;   // among the chunk's records, blank ones included
    };

    void calculateRecord(ResultChunk& result, RecordSpan span)
    {
        const Error rowError = rowInputs(record_, layout_, texts_);
        const std::string& name = texts_[Input::NameEditBox];
        if (rowError.failed()) {
            appendFailed(result, name, rowError, span);
            return;
        }
        const CalculationOutcome outcome =
            settings_.style == ResultStyle::Raw ? evaluateInputs(texts_) : runCalculation(texts_, format_);
        const std::size_t rowStart = result.rows.size();
        std::optional<LoadResponse> response;
        if (outcome.ok()) {
            if (settings_.response)
                response = rowResponse(outcome, texts_, *settings_.response);
            appendResultRow(result.rows, name, outcome, settings_.style, response ? &*response : nullptr);
        } else {
            appendFailedRow(result.rows, name, outcome.error, settings_.response.has_value());
            ++result.counts.failed;
        }
        result.rows += lineEnd_;
        ResultRowEntry entry = entryOf(span, result.rows.size() - rowStart, &outcome);
        if (response)
            entry.goal = static_cast<std::int8_t>(response->goal.status);
        result.entries.push_back(entry);
        ++result.counts.lakes;
    }

    void appendFailed(ResultChunk& result, std::string_view name, const Error& error, RecordSpan span)
    {
        const std::size_t rowStart = result.rows.size();
        appendFailedRow(result.rows, name, error, settings_.response.has_value());
        result.rows += lineEnd_;
        result.entries.push_back(entryOf(span, result.rows.size() - rowStart, nullptr));
        ++result.counts.lakes;
        ++result.counts.failed;
    }

    // The entry of the row whose input texts texts_ holds; outcome is null when it was not
    // calculated.
    ResultRowEntry entryOf(RecordSpan span, std::size_t rowLength, const CalculationOutcome* outcome) const
    {
        ResultRowEntry entry{static_cast<std::uint32_t>(span.start), static_cast<std::uint32_t>(span.length),
                             static_cast<std::uint32_t>(rowLength), static_cast<std::uint32_t>(span.index),
                             false, -1, -1, std::nanf("")};
        if (const std::optional<Ecoregion> region = ecoregionCode(texts_[Input::EcoRegComboBox]))
            entry.ecoregion = static_cast<std::int8_t>(*region);
        if (outcome && outcome->ok()) {
            entry.ok = true;
            entry.averageTsi = shownAverageTsi(*outcome);
        }
        return entry;
    }

    // The index as its column shows it: read back from its text, or the value itself when
    // the results are written in full.
    float shownAverageTsi(const CalculationOutcome& outcome) const
    {
        if (settings_.style == ResultStyle::Raw)
            return static_cast<float>(outcome.values[Result::AvgTSI].toDouble());
        // The index is shown as a whole number.
        const std::string& text = outcome.texts[Result::AvgTSI];
        long long value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nanf("");
        return static_cast<float>(value);
    }

    const ColumnLayout& layout_;      // where each input text comes from
    const BatchSettings& settings_;   // result style
    const char* lineEnd_;             // written after each row
    const NumberFormat format_;       // full stop and comma, whatever the locale
    CsvRecord record_;                // the record being calculated
    InputTexts texts_;                // its input texts
};

// Lets the reader call the caller's read function only while the run lasts. Once closed, a
// read in progress is the last one: the run need not wait for it (a pipe may give its next
// byte in hours, or never), and after it nothing of the caller's is read.
class ReadGate {
public:
    std::size_t read(const ReadFunction& read, char* buffer, std::size_t capacity)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return closed_ ? 0 : read(buffer, capacity);
    }

    // Closes the gate: true when no read is in progress, false when one is.
    bool close()
    {
        closed_ = true;
        const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
        return lock.owns_lock();
    }

private:
    std::mutex mutex_;                 // held during a read
    std::atomic<bool> closed_{false};  // no read from now on
};

// What the reader thread works on, in shared hands: a reader still blocked in a read when
// the run has stopped is left to end on its own, and finds all of it there when it does.
struct ReaderState {
    ReaderState(const ReadFunction& read, std::size_t maxInFlight)
        : callerRead(read),
          chunker([this](char* buffer, std::size_t capacity) { return gate.read(callerRead, buffer, capacity); }),
          pipeline(maxInFlight)
    {
    }
    ReaderState(const ReaderState&) = delete;
    ReaderState& operator=(const ReaderState&) = delete;

    const ReadFunction callerRead;  // a copy of the caller's
    ReadGate gate;                  // through which the chunker reads
    RecordChunker chunker;          // the input in chunks
    Pipeline pipeline;              // between the reader, the workers and the writer
};

void readChunks(RecordChunker& chunker, Pipeline& pipeline);

// The reader and worker threads of one run. However the run ends, even by an exception,
// the destructor stops the pipeline and joins every worker, so that none outlives the
// layout it works on; the reader is joined too, unless it is blocked in a read: it then
// ends on its own when the read returns, holding its share of the reader's state.
class PipelineThreads {
public:
    PipelineThreads(std::shared_ptr<ReaderState> state, const ThreadStarter& startThread)
        : state_(std::move(state)), startThread_(startThread)
    {
    }
    PipelineThreads(const PipelineThreads&) = delete;
    PipelineThreads& operator=(const PipelineThreads&) = delete;
    ~PipelineThreads()
    {
        state_->pipeline.stop();
        for (std::thread& thread : workers_)
            thread.join();
        if (reader_.joinable()) {
            if (state_->gate.close())
                reader_.join();
            else
                reader_.detach();
        }
    }

    // Start the reader, then the workers; when the system gives no thread, each fails the
    // run with a message and returns false.
    bool startReader()
    {
        return start([state = state_] { readChunks(state->chunker, state->pipeline); }, &reader_);
    }
    bool startWorker(std::function<void()> task) { return start(std::move(task), nullptr); }

private:
    bool start(std::function<void()> task, std::thread* reader)
    {
        try {
            // Room first: a started thread must never be lost to a failed push_back.
            workers_.reserve(workers_.size() + 1);
            std::thread thread = startThread_(std::move(task));
            if (reader)
                *reader = std::move(thread);
            else
                workers_.push_back(std::move(thread));
            return true;
        } catch (const std::exception& e) {
            state_->pipeline.fail("cannot start a thread for the batch: " + exceptionMessage(e));
            return false;
        }
    }

    std::shared_ptr<ReaderState> state_;  // stopped before the threads are joined
    const ThreadStarter& startThread_;    // how a thread is started
    std::thread reader_;                  // the reader, once started
    std::vector<std::thread> workers_;    // every worker started
};

void readChunks(RecordChunker& chunker, Pipeline& pipeline)
{
    try {
        std::uint64_t sequence = 0;
        Job job;
        while (chunker.nextChunk(job.chunk)) {
            job.sequence = sequence++;
            if (!pipeline.submit(std::move(job)))
                return;
            job = Job{};
        }
        pipeline.finishInput(sequence);
    } catch (const std::exception& e) {
        pipeline.fail(exceptionMessage(e));
    }
}

void calculateChunks(const ColumnLayout& layout, const BatchSettings& settings, const char* lineEnd,
                     Pipeline& pipeline)
{
    try {
        ChunkCalculator calculator(layout, settings, lineEnd);
        Job job;
        while (pipeline.fetch(job))
            pipeline.deliver(job.sequence, calculator.calculate(job.chunk));
    } catch (const std::exception& e) {
        pipeline.fail(exceptionMessage(e));
    }
}

// The header row of the results, after the byte order mark when the input had one, with
// the load response columns when a target is given.
std::string resultHeader(const RecordChunker& chunker, const BatchSettings& settings)
{
    std::string head(chunker.hadByteOrderMark() ? ByteOrderMark : std::string_view());
    appendResultHeader(head, settings.response.has_value());
    head += chunker.lineEnd();
    return head;
}

void handOverChunks(const std::string& head, const ColumnLayout& layout, const ResultConsumer& consumer,
                    Pipeline& pipeline, BatchProgress& totals, const BatchObserver& observer)
{
    try {
        consumer.head(head, layout);
        ResultChunk result;
        for (std::uint64_t sequence = 0; pipeline.collect(sequence, result); ++sequence) {
            consumer.chunk(result);
            pipeline.written();
            totals.lakes += result.counts.lakes;
            totals.failed += result.counts.failed;
            totals.inputBytes += result.counts.inputBytes;
            if (observer.progress)
                observer.progress(totals);
        }
    } catch (const std::exception& e) {
        pipeline.fail(exceptionMessage(e));
    }
}

// Reads, calculates and writes chunk after chunk on the calling thread: for hosts that
// give no threads. A cancellation is seen before each chunk.
void runOnCallingThread(RecordChunker& chunker, const ColumnLayout& layout, const ResultConsumer& consumer,
                        const BatchSettings& settings, const BatchObserver& observer, BatchSummary& summary)
{
    ChunkCalculator calculator(layout, settings, chunker.lineEnd());
    consumer.head(resultHeader(chunker, settings), layout);
    RecordChunker::Chunk chunk;
    const auto cancelled = [&] { return settings.cancellation && settings.cancellation->cancelled(); };
    while (!cancelled() && chunker.nextChunk(chunk)) {
        ResultChunk result = calculator.calculate(chunk);
        consumer.chunk(result);
        summary.totals.lakes += result.counts.lakes;
        summary.totals.failed += result.counts.failed;
        summary.totals.inputBytes += result.counts.inputBytes;
        if (observer.progress)
            observer.progress(summary.totals);
    }
    if (cancelled()) {
        summary.error = CancelledError;
        summary.cancelled = true;
    }
}

// While it lives, a cancellation stops the pipeline.
class CancellationWatch {
public:
    CancellationWatch(BatchCancellation* cancellation, Pipeline& pipeline) : cancellation_(cancellation)
    {
        if (cancellation_)
            cancellation_->watch([&pipeline] { pipeline.cancel(); });
    }
    CancellationWatch(const CancellationWatch&) = delete;
    CancellationWatch& operator=(const CancellationWatch&) = delete;
    ~CancellationWatch()
    {
        if (cancellation_)
            cancellation_->watch({});
    }

private:
    BatchCancellation* cancellation_;  // the one watched, or nullptr
};

}  // namespace

void BatchCancellation::cancel()
{
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    if (wake_)
        wake_();
}

bool BatchCancellation::cancelled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

void BatchCancellation::watch(std::function<void()> wake)
{
    std::lock_guard<std::mutex> lock(mutex_);
    wake_ = std::move(wake);
    if (wake_ && cancelled_)
        wake_();
}

std::thread startSystemThread(std::function<void()> task)
{
    return std::thread(std::move(task));
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether a result text is a number as the batch writes them: "-1,234.5", "87%", "1e-06".
bool isNumberText(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    bool digits = false;
    for (; i < text.size() && (isDigit(text[i]) || text[i] == ',' || text[i] == '.'); ++i)
        digits = digits || isDigit(text[i]);
    if (digits && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        if (i == text.size() || !isDigit(text[i]))
            return false;
        while (i < text.size() && isDigit(text[i]))
            ++i;
    }
    if (i < text.size() && text[i] == '%')
        ++i;
    return digits && i == text.size();
}

// A number's text with a decimal comma and no thousands separators: "1,234.5" is "1234,5".
std::string withDecimalComma(std::string_view number)
{
    std::string text;
    for (char c : number)
        if (c != ',')
            text += c == '.' ? ',' : c;
    return text;
}

// The text that ends a record: its line end, or nothing for the last one without it.
std::string_view lineEndOf(std::string_view record)
{
    std::size_t end = record.size();
    while (end > 0 && (record[end - 1] == '\n' || record[end - 1] == '\r'))
        --end;
    return record.substr(end);
}

}  // namespace

void appendRowsInDialect(std::string& out, std::string_view rows, CsvDialect dialect)
{
    if (dialect.separator == ',') {
        out += rows;
        return;
    }
    if (rows.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        out += ByteOrderMark;
        rows.remove_prefix(ByteOrderMark.size());
    }
    CsvRecord record;
    std::vector<std::string> texts;
    std::vector<std::string_view> fields;
    for (std::size_t pos = 0; pos < rows.size();) {
        const std::size_t end = scanCsvRecord(rows, pos, true, &record);
        texts.assign(record.size(), std::string());
        fields.assign(record.size(), std::string_view());
        for (std::size_t i = 0; i < record.size(); ++i) {
            // The first field is the lake's name, whatever it looks like.
            const bool number = dialect.decimalComma() && i > 0 && isNumberText(record[i]);
            texts[i] = number ? withDecimalComma(record[i]) : std::string(record[i]);
            fields[i] = texts[i];
        }
        appendCsvFields(out, fields.data(), fields.size(), dialect.separator);
        out += lineEndOf(rows.substr(pos, end - pos));
        pos = end;
    }
}

BatchSummary runBatch(const ReadFunction& read, const WriteFunction& write, const BatchSettings& settings,
                      const BatchObserver& observer)
{
    CsvDialect dialect;
    std::string converted;
    const auto writeRows = [&](std::string_view rows) {
        if (dialect.separator == ',') {
            write(rows);
            return;
        }
        converted.clear();
        appendRowsInDialect(converted, rows, dialect);
        write(converted);
    };
    ResultConsumer consumer;
    consumer.head = [&](std::string_view head, const ColumnLayout& layout) {
        dialect = layout.dialect;
        writeRows(head);
    };
    consumer.chunk = [&](ResultChunk& chunk) { writeRows(chunk.rows); };
    return runBatch(read, consumer, settings, observer);
}

BatchSummary runBatch(const ReadFunction& read, const ResultConsumer& consumer, const BatchSettings& settings,
                      const BatchObserver& observer)
{
    BatchSummary summary;
    try {
        const unsigned workers = settings.workers > 0 ? settings.workers : 1;
        // Each worker has a chunk, one more waits for it, and two are being read and written.
        const auto state = std::make_shared<ReaderState>(read, 2 * static_cast<std::size_t>(workers) + 2);
        RecordChunker& chunker = state->chunker;
        Pipeline& pipeline = state->pipeline;
        CsvRecord header;
        if (!chunker.readHeader(header)) {
            summary.error = "the input has no header row";
            return summary;
        }
        HeaderReading reading = readHeader(header, chunker.dialect());
        if (!reading.layout) {
            summary.error = reading.error;
            return summary;
        }
        reading.layout->headerRow = chunker.headerRow();
        if (observer.ignoredColumn)
            for (const std::string& name : reading.layout->ignoredNames)
                observer.ignoredColumn(name);
        summary.totals.inputBytes = chunker.headerBytes();

        if (settings.workers == 0) {
            runOnCallingThread(chunker, *reading.layout, consumer, settings, observer, summary);
            return summary;
        }
        const CancellationWatch watch(settings.cancellation, pipeline);
        {
            // Declared before the threads, so that it outlives the workers that read it: the
            // threads are joined when they go out of scope.
            const char* const lineEnd = chunker.lineEnd();
            PipelineThreads threads(state, settings.startThread);
            bool started = threads.startReader();
            for (unsigned i = 0; started && i < workers; ++i)
                started = threads.startWorker(
                    [&] { calculateChunks(*reading.layout, settings, lineEnd, pipeline); });
            // Nothing is written unless every thread started.
            if (started)
                handOverChunks(resultHeader(chunker, settings), *reading.layout, consumer, pipeline, summary.totals,
                               observer);
        }
        summary.error = pipeline.error();
        summary.cancelled = pipeline.cancelled();
    } catch (const std::exception& e) {
        summary.error = exceptionMessage(e);
    }
    return summary;
}

}  // namespace trophex::batch
