#include "event/timer.h"

#include "event/loop.h"

namespace Kestrava {
namespace Event {

Timer::Timer(Loop* loop, TimerHandler* handler, double seconds)
    : _loop(loop), _watcher(this, seconds, 0.0), _handler(handler)
{
    if (_loop == nullptr) return;
    _watcher.start(_loop->loop());
    _armed = ev_now(_loop->loop()) + seconds;
}

void Timer::set(double seconds)
{
    double now = _loop != nullptr ? ev_now(_loop->loop()) : ev_time();
    _expiry = now + seconds;
    if (_loop != nullptr) arm();
}

void Timer::arm()
{
    // An armed watcher that fires no later than the expiry re-arms itself
    // for the rest when it fires.
    if (_armed != 0.0 && _expiry >= _armed) return;

    double remaining = _expiry - ev_now(_loop->loop());
    bool wasArmed = _armed != 0.0;
    _watcher.set(remaining, 0.0);
    if (!wasArmed) _watcher.start(_loop->loop());
    _armed = _expiry;
}

void Timer::onExpired(TimerWatcher* watcher)
{
    _armed = 0.0;
    if (ev_now(_loop->loop()) >= _expiry)
    {
        if (_expiry != 0.0) _handler->onExpired(watcher);
        return;
    }
    arm();
}

} // namespace Event
} // namespace Kestrava
