#pragma once

#include "amqp/libevhandler.h"

#include <ev.h>

namespace AMQP
{

/// One libev io watcher on one descriptor, for the flags last asked for;
/// it calls the record that owns it.
class Watcher
{
public:
    Watcher(struct ev_loop* loop, LibEvHandler::Watchable* owner, int fd, int flags);
    ~Watcher();
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    int fd() const { return _io.fd; }
    /// Restarts the watch for flags.
    void set(int flags);

private:
    struct ev_loop* _loop;
    ev_io _io;
};

} // namespace AMQP
