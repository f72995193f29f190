#pragma once

#include "event/timerhandler.h"
#include "event/timerwatcher.h"

namespace Kestrava {
namespace Event {

class Loop;

/**
 * A one-shot timer whose expiry can be pushed back cheaply.
 *
 * set() replaces the expiry. libev is re-armed only when the new expiry is
 * earlier than the time the watcher is armed for; otherwise the armed
 * watcher fires early and re-arms itself for the rest. The handler is
 * called once per expiry that passes, with the internal TimerWatcher, and
 * never for the arming done by the constructor alone.
 */
class Timer : private TimerHandler
{
public:
    /// Arms the watcher for `seconds` at once when the loop is not null;
    /// without a loop the timer never fires.
    Timer(Loop* loop, TimerHandler* handler, double seconds);

    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    virtual ~Timer() = default;

    /// The handler is due `seconds` from the loop's now.
    void set(double seconds);

private:
    void onExpired(TimerWatcher* watcher) override;
    void arm();

    Loop* _loop;
    TimerWatcher _watcher;

    /// Loop time at which the handler is due; 0 for none.
    double _expiry = 0.0;

    /// Loop time the watcher is armed for; 0 when not armed.
    double _armed = 0.0;

    TimerHandler* _handler;
};

} // namespace Event
} // namespace Kestrava
