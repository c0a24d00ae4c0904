#pragma once
// Runs work over the rows of a table on a number of threads, in blocks, so that results
// can be handed to R on the calling thread block by block with bounded memory.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
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

}  // namespace trophex::r
