#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace Kestrava {
namespace Logging {

/**
 * One piece of work for the writer thread and the caller that may wait for
 * it. Shared between the two through std::shared_ptr, so either may let go
 * first.
 */
class Instruction
{
public:
    explicit Instruction(const std::function<void()>& work) : _work(work) {}

    Instruction(const Instruction&) = delete;
    Instruction& operator=(const Instruction&) = delete;

    /// Runs the work on the writer thread and releases the waiter. An
    /// exception is kept for the waiter: the writer thread must go on.
    void run();

    /// Waits until the work has run; rethrows what it threw.
    void wait();

private:
    std::function<void()> _work;
    std::condition_variable _condition;
    std::mutex _mutex;
    bool _done = false;
    std::exception_ptr _error;
};

} // namespace Logging
} // namespace Kestrava
