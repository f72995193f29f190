#pragma once

#include "event/watcher.h"

namespace Kestrava {
namespace Event {

class IdleHandler;

/// Calls IdleHandler::onIdle when the loop has nothing else to do.
class IdleWatcher : public Watcher<ev_idle>
{
public:
    explicit IdleWatcher(IdleHandler* handler);

    static void callback(struct ev_loop* loop, ev_idle* watcher, int events);
};

} // namespace Event
} // namespace Kestrava
