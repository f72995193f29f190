#pragma once

#include "event/watcher.h"

namespace Kestrava {
namespace Event {

class TimerHandler;

/**
 * A libev timer that calls TimerHandler::onExpired(this).
 *
 * A one-shot timer (repeat 0) counts as stopped from the moment it fires,
 * so its handler may call stop() (which then does nothing) or start() to
 * arm it again. A repeating timer stays started.
 */
class TimerWatcher : public Watcher<ev_timer>
{
public:
    TimerWatcher(TimerHandler* handler, double after, double repeat);

    /// Changes the delays; a started watcher is re-armed and stays started.
    void set(double after, double repeat);

    /// Seconds until a started timer fires; 0 for a stopped one.
    double remaining() const;

    static void callback(struct ev_loop* loop, ev_timer* watcher, int events);

private:
    TimerHandler* _handler;
};

} // namespace Event
} // namespace Kestrava
