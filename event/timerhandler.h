#pragma once

#include "event/handler.h"

namespace Kestrava {
namespace Event {

class TimerWatcher;

/**
 * Handler of a TimerWatcher (and of a Timer). Override either operation:
 * the one with the watcher calls the plain one by default. The handler may
 * stop, restart or destroy the watcher inside the callback.
 */
class TimerHandler : public Handler
{
public:
    virtual void onExpired() {}
    virtual void onExpired(TimerWatcher* watcher)
    {
        (void)watcher;
        onExpired();
    }
};

} // namespace Event
} // namespace Kestrava
