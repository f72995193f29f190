#include "amqp/libev/wrapper.h"

#include "amqp/tcpconnection.h"

#include <algorithm>

namespace AMQP
{

Wrapper::Wrapper(struct ev_loop* loop, TcpConnection* connection, double startupTimeout)
    : _connection(connection), _loop(loop)
{
    ev_timer_init(&_timer, onTimer, 0, 0);
    _timer.data = static_cast<LibEvHandler::Watchable*>(this);
    ev_prepare_init(&_prepare, onPrepare);
    _prepare.data = this;
    ev_idle_init(&_idle, onIdle);
    _idle.data = this;
    // A record is made from outside the loop's callbacks, maybe after the
    // loop sat idle or blocked (a probe on another loop): its cached time
    // would put the deadline in the past.
    ev_now_update(_loop);
    double now = ev_now(_loop);
    _expire = now + startupTimeout;
    arm(now);
}

Wrapper::~Wrapper()
{
    if (ev_is_active(&_timer))
    {
        ev_timer_stop(_loop, &_timer);
        ev_ref(_loop);
    }
    ev_prepare_stop(_loop, &_prepare);
    ev_idle_stop(_loop, &_idle);
}

void Wrapper::defer()
{
    if (ev_is_active(&_prepare)) return;
    ev_prepare_start(_loop, &_prepare);
    // Asked from inside another prepare watcher, ours misses this turn's
    // prepare phase: the idle watcher keeps the loop from waiting and
    // flushes right after the poll instead.
    ev_idle_start(_loop, &_idle);
}

void Wrapper::flushDeferred()
{
    ev_prepare_stop(_loop, &_prepare);
    ev_idle_stop(_loop, &_idle);
    // A flush only writes and changes watches: the record stays.
    _connection->flush();
}

void Wrapper::onPrepare(struct ev_loop*, ev_prepare* prepare, int)
{
    static_cast<Wrapper*>(prepare->data)->flushDeferred();
}

void Wrapper::onIdle(struct ev_loop*, ev_idle* idle, int)
{
    static_cast<Wrapper*>(idle->data)->flushDeferred();
}

void Wrapper::monitor(int fd, int flags)
{
    auto found = std::find_if(_watchers.begin(), _watchers.end(),
                              [fd](const auto& watcher) { return watcher->fd() == fd; });
    if (flags == 0)
    {
        if (found != _watchers.end()) _watchers.erase(found);
        return;
    }
    if (found != _watchers.end())
        (*found)->set(flags);
    else
        _watchers.push_back(std::make_unique<Watcher>(
            _loop, static_cast<LibEvHandler::Watchable*>(this), fd, flags));
}

double Wrapper::nextHeartbeat(double now) const
{
    return now + std::max(_interval / 2, 1);
}

void Wrapper::negotiated(uint16_t interval)
{
    _interval = interval;
    if (interval == 0) return;
    // The handler's reply may come after a callback of the user's that
    // blocked for a while.
    ev_now_update(_loop);
    double now = ev_now(_loop);
    _next = nextHeartbeat(now);
    _expire = now + 1.5 * interval;
    arm(now);
}

void Wrapper::arm(double now)
{
    if (ev_is_active(&_timer))
    {
        ev_timer_stop(_loop, &_timer);
        ev_ref(_loop);
    }
    double due = _next > 0 ? std::min(_next, _expire) : _expire;
    ev_timer_set(&_timer, std::max(due - now, 0.0), 0);
    ev_timer_start(_loop, &_timer);
    ev_unref(_loop);
}

void Wrapper::onActive(int fd, int events)
{
    // Any read readiness shows the peer alive, heartbeat or data.
    if (_interval != 0 && (events & EV_READ)) _expire = ev_now(_loop) + 1.5 * _interval;
    _connection->process(fd, events);
}

void Wrapper::onTimer(struct ev_loop* loop, ev_timer* timer, int)
{
    // The one-shot timer stopped itself: the loop's reference comes back.
    ev_ref(loop);
    static_cast<LibEvHandler::Watchable*>(timer->data)->onExpired();
}

void Wrapper::onExpired()
{
    double now = ev_now(_loop);
    if (_interval == 0)
    {
        _next = _expire = 0;
        // Each call may destroy this record: nothing is touched after it.
        if (_connection->handshaking()) _connection->close(true);
        return;
    }
    if (now >= _expire)
    {
        _next = _expire = 0;
        _interval = 0;
        _connection->close(true);
        return;
    }
    if (now >= _next)
    {
        _connection->heartbeat();
        _next = nextHeartbeat(now);
    }
    arm(now);
}

} // namespace AMQP
