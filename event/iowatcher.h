#pragma once

#include "event/watcher.h"

namespace Kestrava {
namespace Event {

class IoHandler;

/// Watches a descriptor for readability (EV_READ) and/or writability
/// (EV_WRITE) and calls IoHandler::onActive; the handler is not owned.
class IoWatcher : public Watcher<ev_io>
{
public:
    IoWatcher(IoHandler* handler, int fd, int events);

    /// Changes descriptor and events; a started watcher stays started.
    void set(int fd, int events);

    int fd() const { return _watcher.fd; }

    /// EV_READ, EV_WRITE or both.
    int events() const { return _watcher.events & (EV_READ | EV_WRITE); }

    static void callback(struct ev_loop* loop, ev_io* watcher, int events);
};

} // namespace Event
} // namespace Kestrava
