#pragma once

#include "dns/loop/loop.h"

struct ev_loop;
struct ev_io;
struct ev_timer;

namespace DNS
{

/// The resolver's Loop over a libev loop. With reference true the
/// resolver's watchers keep ev_run going while a lookup waits; with false
/// they do not count, so the resolver alone never keeps the loop alive.
class LibEv : public Loop
{
public:
    LibEv(struct ev_loop* loop, bool reference);
    // The resolver gives back every watcher itself.
    ~LibEv() override = default;

    void* add(int fd, int events, Monitor* monitor) override;
    void* update(void* identifier, int fd, int events, Monitor* monitor) override;
    void remove(void* identifier, int fd, Monitor* monitor) override;
    void* timer(double seconds, Timer* timer) override;
    void cancel(void* identifier, Timer* timer) override;

private:
    static void active(struct ev_loop* loop, ev_io* watcher, int events);
    static void expire(struct ev_loop* loop, ev_timer* watcher, int events);

    struct ev_loop* _loop;
    bool _reference;
};

} // namespace DNS
