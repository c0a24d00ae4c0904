#pragma once
// Runs work over the rows of a table on a number of threads, in blocks, so that results
// can be handed to R on the calling thread block by block with bounded memory.

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace trophex::r {

// Threads to use: the number asked for, or as many as the machine has processors (as the
// batch takes them) when 0.
inline unsigned threadCount(int asked)
{
    if (asked > 0)
        return static_cast<unsigned>(asked);
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 0 ? processors : 1;
}

// Calls work(row) for every row in [first, last) on up to threads threads, the calling
// thread among them. The first exception a row throws is thrown again here once every
// thread has stopped.
inline void forEachRow(std::size_t first, std::size_t last, unsigned threads,
                       const std::function<void(std::size_t row)>& work)
{
    constexpr std::size_t Stride = 256;  // rows a thread takes at a time
    if (first >= last)
        return;
    std::atomic<std::size_t> next{first};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto run = [&] {
        try {
            for (std::size_t start = next.fetch_add(Stride); start < last; start = next.fetch_add(Stride))
                for (std::size_t row = start; row < std::min(last, start + Stride); ++row)
                    work(row);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            next = last;
        }
    };
    const std::size_t strides = (last - first + Stride - 1) / Stride;
    const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1u), strides) - 1;
    std::vector<std::thread> pool;
    try {
        while (pool.size() < helpers)
            pool.emplace_back(run);
    } catch (const std::system_error&) {
        // No more threads to be had (a process limit): the threads started do the work.
    }
    run();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Calls compute(row, slot) for every row in [0, rows) on threads threads, block by block,
// and deliver(row, slot) on the calling thread (which alone may call R) in row order. With
// more than one thread, the next block is computed while the calling thread delivers one.
// An exception of either is thrown again here once no thread runs.
template <typename Slot, typename Compute, typename Deliver>
void computeAndDeliver(std::size_t rows, std::size_t blockRows, unsigned threads, Compute compute, Deliver deliver)
{
    std::array<std::vector<Slot>, 2> blocks;
    for (std::vector<Slot>& block : blocks)
        block.resize(std::min(rows, blockRows));
    const auto computeBlock = [&](std::size_t first, std::vector<Slot>& block) {
        forEachRow(first, std::min(rows, first + blockRows), threads,
                   [&](std::size_t row) { compute(row, block[row - first]); });
    };
    // The block computed ahead: joined however the delivery ends.
    struct Ahead {
        std::thread thread;
        std::exception_ptr failure;
        void finish()
        {
            if (thread.joinable())
                thread.join();
            if (failure)
                std::rethrow_exception(std::exchange(failure, nullptr));
        }
        ~Ahead()
        {
            if (thread.joinable())
                thread.join();
        }
    } ahead;
    if (rows > 0)
        computeBlock(0, blocks[0]);
    for (std::size_t first = 0, current = 0; first < rows; first += blockRows, current ^= 1) {
        const std::size_t next = first + blockRows;
        if (next < rows && threads > 1) {
            ahead.thread = std::thread([&, next, current] {
                try {
                    computeBlock(next, blocks[current ^ 1]);
                } catch (...) {
                    ahead.failure = std::current_exception();
                }
            });
        }
        for (std::size_t row = first; row < std::min(rows, next); ++row)
            deliver(row, std::as_const(blocks[current][row - first]));
        ahead.finish();
        if (next < rows && threads <= 1)
            computeBlock(next, blocks[current ^ 1]);
    }
}

}  // namespace trophex::r
