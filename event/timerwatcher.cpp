#include "event/timerwatcher.h"

#include "event/timerhandler.h"

namespace Kestrava {
namespace Event {

TimerWatcher::TimerWatcher(TimerHandler* handler, double after, double repeat) : _handler(handler)
{
    ev_timer_init(&_watcher, &TimerWatcher::callback, after, repeat);
    _watcher.data = this;
}

void TimerWatcher::set(double after, double repeat)
{
    reconfigure([&] { ev_timer_set(&_watcher, after, repeat); });
}

double TimerWatcher::remaining() const
{
    if (_loop == nullptr) return 0.0;
    return ev_timer_remaining(_loop, const_cast<ev_timer*>(&_watcher));
}

void TimerWatcher::callback(struct ev_loop*, ev_timer* watcher, int)
{
    auto self = static_cast<TimerWatcher*>(watcher->data);

    // libev has already stopped a one-shot timer; mark it so that a stop()
    // inside the handler does not reach libev and a start() re-arms it.
    if (watcher->repeat <= 0.0) self->_loop = nullptr;
    self->_handler->onExpired(self);
}

} // namespace Event
} // namespace Kestrava
