#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace verbolt {

/// The threads work split this way runs on: one a core.
inline int hardwareThreads()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

/// Calls work(k, t) once for every k below `count`, on up to `threads` threads: t is the
/// thread's number, 0 for the calling one, so that each can keep state of its own. Each k
/// goes to whichever thread is free; returns when all are done.
template <class Work> void inParallel(int threads, std::size_t count, Work &&work)
{
    std::atomic<std::size_t> next{0};
    const auto run = [&](int t) {
        for (std::size_t k; (k = next++) < count;)
            work(k, t);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads && static_cast<std::size_t>(t) < count; ++t)
        pool.emplace_back(run, t);
    run(0);
    for (std::thread &t : pool)
        t.join();
}

} // namespace verbolt
