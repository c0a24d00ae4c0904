// The batch pipeline when something fails: the input, the output, or the start of one of its
// threads. Every failure ends the run with a summary error, and every thread that started
// has finished by the time runBatch returns.

#include "batch/batchpipeline.h"
#include "batch/lakegenerator.h"
#include "model/ecoregion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cmath>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>

using namespace trophex::batch;

namespace {

constexpr unsigned Workers = 4;

const std::string& syntheticTable()
{
    static const std::string table = [] {
        std::string text;
        writeSyntheticLakes(12000, 5, [&](std::string_view bytes) { text += bytes; });
        return text;
    }();
    return table;
}

// Reads the table in pieces of 4 KiB and throws once failAfter bytes have been read.
ReadFunction tableReader(std::size_t failAfter = std::string::npos)
{
    auto pos = std::make_shared<std::size_t>(0);
    return [pos, failAfter](char* buffer, std::size_t capacity) -> std::size_t {
        if (*pos >= failAfter)
            throw std::runtime_error("cannot read lakes.csv: Input/output error");
        const std::string& table = syntheticTable();
        const std::size_t n = std::min({capacity, std::size_t{4096}, table.size() - *pos});
        table.copy(buffer, n, *pos);
        *pos += n;
        return n;
    };
}

// Starts threads as the system does, except that the call numbered failingCall (1 is the
// reader, 2 the first worker) fails as under a process limit. Counts the threads started
// and the tasks that ran to their end.
class CountingStarter {
public:
    explicit CountingStarter(int failingCall = 0) : failingCall_(failingCall) {}

    ThreadStarter starter()
    {
        return [this](std::function<void()> task) {
            if (++calls_ == failingCall_)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            ++started_;
            return std::thread([this, task = std::move(task)] {
                task();
                ++finished_;
            });
        };
    }

    int started() const { return started_; }
    // The tasks that returned, once every started one has or a minute has passed: a reader
    // blocked in a read when its run ended is let go and returns on its own, later.
    int finished() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (finished_ < started_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return finished_;
    }
    ~CountingStarter() { finished(); }  // no thread may outlive the counters it updates

private:
    const int failingCall_;         // the call that throws; 0: none
    int calls_ = 0;                 // calls so far (all on the thread running the batch)
    std::atomic<int> started_{0};   // threads started
    std::atomic<int> finished_{0};  // tasks that returned
};

struct PipelineRun {
    BatchSummary summary;  // what runBatch reported
    std::string output;    // what it wrote
};

PipelineRun runWith(const ReadFunction& read, CountingStarter& threads, int failingWrite = 0)
{
    PipelineRun run;
    BatchSettings settings;
    settings.workers = Workers;
    settings.startThread = threads.starter();
    int writes = 0;
    run.summary = runBatch(read, [&](std::string_view bytes) {
        if (++writes == failingWrite)
            throw std::runtime_error("cannot write results.csv: No space left on device");
        run.output += bytes;
    }, settings);
    return run;
}

std::size_t linesOf(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(BatchPipelineFailures, AnInputThatFailsMidwayStopsTheRun)
{
    ASSERT_GT(syntheticTable().size(), 3 * RecordChunker::ChunkBytes);
    CountingStarter threads;
    const PipelineRun run = runWith(tableReader(2 * RecordChunker::ChunkBytes), threads);
    EXPECT_EQ(run.summary.error, "cannot read lakes.csv: Input/output error");
    EXPECT_LT(run.summary.totals.lakes, 12000u);
    EXPECT_EQ(linesOf(run.output), run.summary.totals.lakes + 1);  // the header and whole rows
    EXPECT_EQ(threads.started(), static_cast<int>(Workers) + 1);
    EXPECT_EQ(threads.finished(), threads.started());
}

TEST(BatchPipelineFailures, AnOutputThatFailsStopsTheReaderAndTheWorkers)
{
    for (int failingWrite : {1, 2, 3}) {  // the header row, the first chunk, the second
        SCOPED_TRACE(failingWrite);
        CountingStarter threads;
        const PipelineRun run = runWith(tableReader(), threads, failingWrite);
        EXPECT_EQ(run.summary.error, "cannot write results.csv: No space left on device");
        EXPECT_LT(run.summary.totals.lakes, 12000u);
        EXPECT_EQ(threads.finished(), threads.started());
    }
}

// The input goes quiet after three chunks (a pipe whose writer sends nothing more), and the
// output fails once the reader waits for it: the run ends with the output's failure
// instead of waiting for the input. The blocked read ends later, on its own.
TEST(BatchPipelineFailures, AFailedOutputDoesNotWaitForABlockedRead)
{
    struct Quiet {
        std::mutex mutex;
        std::condition_variable changed;
        bool reading = false;   // the reader waits for input
        bool released = false;  // the input ends
    };
    const auto quiet = std::make_shared<Quiet>();
    const ReadFunction table = tableReader();
    const ReadFunction read = [quiet, table, given = std::size_t{0}](char* buffer, std::size_t capacity) mutable {
        if (given < 3 * RecordChunker::ChunkBytes) {
            const std::size_t got = table(buffer, capacity);
            given += got;
            return got;
        }
        std::unique_lock<std::mutex> lock(quiet->mutex);
        quiet->reading = true;
        quiet->changed.notify_all();
        quiet->changed.wait(lock, [&] { return quiet->released; });
        return std::size_t{0};
    };
    const WriteFunction write = [quiet](std::string_view) {
        std::unique_lock<std::mutex> lock(quiet->mutex);
        quiet->changed.wait(lock, [&] { return quiet->reading; });
        throw std::runtime_error("cannot write results.csv: No space left on device");
    };
    BatchSettings settings;
    settings.workers = Workers;
    auto run = std::async(std::launch::async, [&] { return runBatch(read, write, settings); });
    const bool ended = run.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    {
        const std::lock_guard<std::mutex> lock(quiet->mutex);
        quiet->released = true;
        quiet->changed.notify_all();
    }
    EXPECT_TRUE(ended) << "the run waited for the input";
    EXPECT_EQ(run.get().error, "cannot write results.csv: No space left on device");
}

TEST(BatchPipelineFailures, AThreadThatCannotStartEndsTheRunWithAMessage)
{
    for (int failingCall : {1, 2, 3}) {  // the reader, the first worker, the second worker
        SCOPED_TRACE(failingCall);
        CountingStarter threads(failingCall);
        const PipelineRun run = runWith(tableReader(), threads);
        EXPECT_EQ(run.summary.error, "cannot start a thread for the batch: Resource temporarily unavailable");
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(run.summary.totals.lakes, 0u);
        EXPECT_EQ(threads.started(), failingCall - 1);
        EXPECT_EQ(threads.finished(), threads.started());
    }
}

TEST(BatchPipelineFailures, ALackOfMemoryIsSaidInTheProgramsWords)
{
    const auto outOfMemory = [](auto...) -> std::size_t { throw std::bad_alloc(); };
    const ReadFunction reader = tableReader();
    const ReadFunction readerAfterHeader = [reader, calls = 0](char* buffer, std::size_t capacity) mutable {
        return ++calls > 100 ? throw std::bad_alloc() : reader(buffer, capacity);
    };
    const struct {
        ReadFunction read;
        WriteFunction write;
    } cases[] = {{outOfMemory, [](std::string_view) {}},        // reading the header
                 {readerAfterHeader, [](std::string_view) {}},  // reading the rows
                 {tableReader(), outOfMemory}};                 // writing
    for (const auto& c : cases) {
        BatchSettings settings;
        settings.workers = Workers;
        EXPECT_EQ(runBatch(c.read, c.write, settings).error, "Out of memory!");
    }
}

namespace {

struct ConsumedRun {
    BatchSummary summary;                 // what runBatch reported
    std::string head;                     // the header row handed over
    std::vector<ResultChunk> chunks;      // every chunk handed over, in order
};

ConsumedRun consume(BatchSettings settings, const std::function<void(ConsumedRun&)>& afterChunk = {})
{
    ConsumedRun run;
    ResultConsumer consumer;
    consumer.head = [&](std::string_view head, const ColumnLayout&) { run.head = head; };
    consumer.chunk = [&](ResultChunk& chunk) {
        run.chunks.push_back(std::move(chunk));
        if (afterChunk)
            afterChunk(run);
    };
    run.summary = runBatch(tableReader(), consumer, settings);
    return run;
}

}  // namespace

TEST(BatchPipelineConsumer, ChunksCarryTheWrittenRowsAndWhereEachCameFrom)
{
    BatchSettings settings;
    settings.workers = Workers;
    CountingStarter threads;
    const PipelineRun written = runWith(tableReader(), threads);
    const ConsumedRun run = consume(settings);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;

    std::string output = run.head;
    std::size_t entries = 0;
    CsvRecord record;
    CsvRecord row;
    for (const ResultChunk& chunk : run.chunks) {
        output += chunk.rows;
        std::size_t rowStart = 0;
        for (const ResultRowEntry& entry : chunk.entries) {
            ++entries;
            ASSERT_LE(entry.recordStart + entry.recordLength, chunk.records.size());
            scanCsvRecord(std::string_view(chunk.records).substr(entry.recordStart, entry.recordLength), 0, true,
                          &record);
            scanCsvRecord(std::string_view(chunk.rows).substr(rowStart, entry.rowLength), 0, true, &row);
            rowStart += entry.rowLength;
            ASSERT_EQ(row.size(), trophex::ResultCount + 2u);
            EXPECT_EQ(row[0], record[0]);  // the synthetic table's first column is the name
            const std::string_view status = row[row.size() - 1];
            EXPECT_EQ(entry.ok, status == SuccessStatus) << status;
            if (entry.ok)
                EXPECT_EQ(std::to_string(static_cast<int>(entry.averageTsi)), row[row.size() - 5]);
            else
                EXPECT_TRUE(std::isnan(entry.averageTsi));
            ASSERT_GE(entry.ecoregion, 0);
            EXPECT_EQ(trophex::EcoregionCodes[entry.ecoregion], record[1]);
            EXPECT_EQ(entry.goal, -1);  // no target, no load response
        }
        EXPECT_EQ(rowStart, chunk.rows.size());
    }
    EXPECT_EQ(output, written.output);
    EXPECT_EQ(entries, 12000u);
}

TEST(BatchPipelineConsumer, ChunksCarryTheAnswerOfEachRowsLoadResponse)
{
    BatchSettings settings;
    settings.workers = Workers;
    settings.response = ResponseSettings{*trophex::readTargetSpec("tp=20").target, std::nullopt};
    const ConsumedRun run = consume(settings);
    ASSERT_TRUE(run.summary.ok()) << run.summary.error;
    CsvRecord head;
    scanCsvRecord(run.head, 0, true, &head);
    std::size_t statusField = 0;
    while (statusField < head.size() && head[statusField] != "target_status")
        ++statusField;
    ASSERT_LT(statusField, head.size());

    std::array<std::size_t, 3> perGoal{};
    CsvRecord row;
    for (const ResultChunk& chunk : run.chunks) {
        std::size_t rowStart = 0;
        for (const ResultRowEntry& entry : chunk.entries) {
            scanCsvRecord(std::string_view(chunk.rows).substr(rowStart, entry.rowLength), 0, true, &row);
            rowStart += entry.rowLength;
            if (!entry.ok) {
                EXPECT_EQ(entry.goal, -1);
                EXPECT_EQ(row[statusField], "");
                continue;
            }
            ASSERT_GE(entry.goal, 0);
            EXPECT_EQ(trophex::goalStatusName(static_cast<trophex::GoalStatus>(entry.goal)), row[statusField]);
            ++perGoal[static_cast<std::size_t>(entry.goal)];
        }
    }
    // The synthetic lakes meet, need a cut for and cannot reach a TP of 20 ug/L.
    for (std::size_t count : perGoal)
        EXPECT_GT(count, 0u);
}

TEST(BatchPipelineCancellation, StopsBeforeTheNextChunkAndSaysSo)
{
    BatchCancellation cancellation;
    BatchSettings settings;
    settings.workers = Workers;
    CountingStarter threads;
    settings.startThread = threads.starter();
    settings.cancellation = &cancellation;
    const ConsumedRun run = consume(settings, [&](ConsumedRun&) { cancellation.cancel(); });
    EXPECT_TRUE(run.summary.cancelled);
    EXPECT_EQ(run.summary.error, CancelledError);
    EXPECT_EQ(run.chunks.size(), 1u);
    EXPECT_EQ(run.summary.totals.lakes, run.chunks.front().entries.size());
    EXPECT_EQ(threads.finished(), threads.started());
}

TEST(BatchPipelineCancellation, FromAnotherThreadOrBeforeTheRun)
{
    BatchCancellation early;
    early.cancel();
    BatchSettings settings;
    settings.workers = Workers;
    settings.cancellation = &early;
    const ConsumedRun stopped = consume(settings);
    EXPECT_TRUE(stopped.summary.cancelled);
    EXPECT_TRUE(stopped.chunks.empty());

    // The consumer waits for the cancelling thread, as a window's consumer may wait on a lock.
    BatchCancellation cancellation;
    settings.cancellation = &cancellation;
    std::promise<void> firstChunk;
    std::thread canceller([&, ready = firstChunk.get_future()]() mutable {
        ready.wait();
        cancellation.cancel();
    });
    const ConsumedRun run = consume(settings, [&](ConsumedRun& soFar) {
        if (soFar.chunks.size() == 1) {
            firstChunk.set_value();
            while (!cancellation.cancelled())
                std::this_thread::yield();
        }
    });
    canceller.join();
    EXPECT_TRUE(run.summary.cancelled);
    EXPECT_EQ(run.chunks.size(), 1u);

    // A run that completed is not reported as cancelled when cancel comes afterwards.
    BatchCancellation late;
    settings.cancellation = &late;
    const ConsumedRun completed = consume(settings);
    late.cancel();
    EXPECT_TRUE(completed.summary.ok()) << completed.summary.error;
    EXPECT_FALSE(completed.summary.cancelled);
}
