#pragma once

#include "event/synchandler.h"
#include "event/syncwatcher.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Kestrava {
namespace Event {
class Loop;
}

namespace Logging {

class Instruction;

/**
 * The queue of work for a log's writer thread. Any thread adds; the writer
 * thread runs the work in the order it was added. Instructions still
 * pending when the queue is destroyed are dropped without running.
 */
class Instructions : private Event::SyncHandler
{
public:
    /// Starts its wake-up on the loop at once; the loop must outlive it.
    explicit Instructions(Event::Loop* loop);

    Instructions(const Instructions&) = delete;
    Instructions& operator=(const Instructions&) = delete;

    virtual ~Instructions() = default;

    /// Queues an instruction and wakes the writer thread; any thread.
    void add(const std::shared_ptr<Instruction>& instruction);

private:
    void onSynchronize() override;

    std::vector<std::shared_ptr<Instruction>> _pending;
    Event::SyncWatcher _watcher;
    std::mutex _mutex;
};

} // namespace Logging
} // namespace Kestrava
