#include "batch/batchpipeline.h"

#include "model/calculation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
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
        const std::size_t end = scanCsvRecord(buffer_, 0, atEnd_, &header);
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
            const std::size_t end = scanCsvRecord(buffer_, boundary, atEnd_, nullptr);
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
        if (chunk.skippedLongRecord) {
            texts_ = InputTexts{};
            appendFailed(result, {}, {ErrorCode::RowTooLong, {}}, RecordSpan{});
            return result;
        }
        std::size_t pos = 0;
        while (pos < chunk.records.size()) {
            const std::size_t start = pos;
            pos = scanCsvRecord(chunk.records, pos, true, &record_);
            if (record_.isBlank() && !record_.unterminatedQuote())
                continue;
            calculateRecord(result, {start, pos - start});
        }
        result.records = std::move(chunk.records);
        return result;
    }

private:
    struct RecordSpan {
        std::size_t start = 0;   // offset in the chunk's records, bytes
        std::size_t length = 0;  // bytes, with the line end
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
                             static_cast<std::uint32_t>(rowLength), false, -1, -1, std::nanf("")};
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

// The reader and worker threads of one run. However the run ends, even by an exception,
// the destructor stops the pipeline and joins every thread that was started, so that no
// thread outlives the chunker, the layout and the pipeline it works on.
class PipelineThreads {
public:
    PipelineThreads(Pipeline& pipeline, const ThreadStarter& startThread)
        : pipeline_(pipeline), startThread_(startThread)
    {
    }
    PipelineThreads(const PipelineThreads&) = delete;
    PipelineThreads& operator=(const PipelineThreads&) = delete;
    ~PipelineThreads()
    {
        pipeline_.stop();
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }

    // Starts a thread; when the system gives none, fails the run with a message and returns
    // false.
    bool start(std::function<void()> task)
    {
        try {
            // Room first: a started thread must never be lost to a failed push_back.
            threads_.reserve(threads_.size() + 1);
            threads_.push_back(startThread_(std::move(task)));
            return true;
        } catch (const std::exception& e) {
            pipeline_.fail(std::string("cannot start a thread for the batch: ") + e.what());
            return false;
        }
    }

private:
    Pipeline& pipeline_;                // stopped before the threads are joined
    const ThreadStarter& startThread_;  // how a thread is started
    std::vector<std::thread> threads_;  // every thread started
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
        pipeline.fail(e.what());
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
        pipeline.fail(e.what());
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
        pipeline.fail(e.what());
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

BatchSummary runBatch(const ReadFunction& read, const WriteFunction& write, const BatchSettings& settings,
                      const BatchObserver& observer)
{
    ResultConsumer consumer;
    consumer.head = [&write](std::string_view head, const ColumnLayout&) { write(head); };
    consumer.chunk = [&write](ResultChunk& chunk) { write(chunk.rows); };
    return runBatch(read, consumer, settings, observer);
}

BatchSummary runBatch(const ReadFunction& read, const ResultConsumer& consumer, const BatchSettings& settings,
                      const BatchObserver& observer)
{
    BatchSummary summary;
    try {
        RecordChunker chunker(read);
        CsvRecord header;
        if (!chunker.readHeader(header)) {
            summary.error = "the input has no header row";
            return summary;
        }
        const HeaderReading reading = readHeader(header);
        if (!reading.layout) {
            summary.error = reading.error;
            return summary;
        }
        if (observer.ignoredColumn)
            for (const std::string& name : reading.layout->ignoredNames)
                observer.ignoredColumn(name);
        summary.totals.inputBytes = chunker.headerBytes();

        if (settings.workers == 0) {
            runOnCallingThread(chunker, *reading.layout, consumer, settings, observer, summary);
            return summary;
        }
        const unsigned workers = settings.workers;
        // Each worker has a chunk, one more waits for it, and two are being read and written.
        Pipeline pipeline(2 * static_cast<std::size_t>(workers) + 2);
        const CancellationWatch watch(settings.cancellation, pipeline);
        {
            PipelineThreads threads(pipeline, settings.startThread);
            bool started = threads.start([&] { readChunks(chunker, pipeline); });
            for (unsigned i = 0; started && i < workers; ++i)
                started = threads.start(
                    [&] { calculateChunks(*reading.layout, settings, chunker.lineEnd(), pipeline); });
            // Nothing is written unless every thread started.
            if (started)
                handOverChunks(resultHeader(chunker, settings), *reading.layout, consumer, pipeline, summary.totals,
                               observer);
        }
        summary.error = pipeline.error();
        summary.cancelled = pipeline.cancelled();
    } catch (const std::exception& e) {
        summary.error = e.what();
    }
    return summary;
}

}  // namespace trophex::batch
