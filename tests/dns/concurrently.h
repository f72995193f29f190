#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace Testing
{

/// Runs `work(index)` on `threads` threads that all start at once, so that
/// they meet in whatever is first used there; returns when all are done.
inline void concurrently(int threads, const std::function<void(int)>& work)
{
    std::atomic<int> waiting{threads};
    std::vector<std::thread> workers;
    for (int index = 0; index < threads; ++index)
        workers.emplace_back(
            [&, index]
            {
                --waiting;
                while (waiting > 0)
                    std::this_thread::yield();
                work(index);
            });
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace Testing
