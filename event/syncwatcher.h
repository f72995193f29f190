#pragma once

#include "event/watcher.h"

namespace Kestrava {
namespace Event {

class SyncHandler;

/**
 * The cross-thread wake-up of a loop (a libev async watcher).
 *
 * synchronize() is the only operation any thread may call; the watcher
 * must be started before other threads get it. Several wake-ups before
 * the loop runs give one onSynchronize().
 */
class SyncWatcher : public Watcher<ev_async>
{
public:
    explicit SyncWatcher(SyncHandler* handler);

    /// Wakes the loop; does nothing while the watcher is stopped.
    void synchronize();

    static void callback(struct ev_loop* loop, ev_async* watcher, int events);
};

} // namespace Event
} // namespace Kestrava
