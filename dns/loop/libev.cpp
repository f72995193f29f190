#include "dns/loop/libev.h"

#include "dns/loop/monitor.h"
#include "dns/loop/timer.h"

#include <cstdlib>
#include <new>

#include <ev.h>

namespace DNS
{

LibEv::LibEv(struct ev_loop* loop, bool reference) : _loop(loop), _reference(reference) {}

void* LibEv::add(int fd, int events, Monitor* monitor)
{
    auto* watcher = static_cast<ev_io*>(malloc(sizeof(ev_io)));
    if (!watcher) throw std::bad_alloc();
    ev_io_init(watcher, &LibEv::active, fd, events);
    watcher->data = monitor;
    ev_io_start(_loop, watcher);
    if (!_reference) ev_unref(_loop);
    return watcher;
}

void* LibEv::update(void* identifier, int fd, int events, Monitor* monitor)
{
    auto* watcher = static_cast<ev_io*>(identifier);
    // The stop and the start change the loop's count by one each way.
    ev_io_stop(_loop, watcher);
    ev_io_set(watcher, fd, events);
    watcher->data = monitor;
    ev_io_start(_loop, watcher);
    return watcher;
}

void LibEv::remove(void* identifier, int, Monitor*)
{
    auto* watcher = static_cast<ev_io*>(identifier);
    if (!_reference) ev_ref(_loop);
    ev_io_stop(_loop, watcher);
    free(watcher);
}

void* LibEv::timer(double seconds, Timer* timer)
{
    auto* watcher = static_cast<ev_timer*>(malloc(sizeof(ev_timer)));
    if (!watcher) throw std::bad_alloc();
    ev_timer_init(watcher, &LibEv::expire, seconds, 0.0);
    watcher->data = timer;
    ev_timer_start(_loop, watcher);
    if (!_reference) ev_unref(_loop);
    return watcher;
}

void LibEv::cancel(void* identifier, Timer*)
{
    auto* watcher = static_cast<ev_timer*>(identifier);
    if (!_reference) ev_ref(_loop);
    ev_timer_stop(_loop, watcher);
    free(watcher);
}

void LibEv::active(struct ev_loop*, ev_io* watcher, int)
{
    static_cast<Monitor*>(watcher->data)->notify();
}

void LibEv::expire(struct ev_loop*, ev_timer* watcher, int)
{
    static_cast<Timer*>(watcher->data)->expire();
}

} // namespace DNS
