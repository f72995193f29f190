#include "event/iowatcher.h"

#include "event/iohandler.h"

namespace Kestrava {
namespace Event {

IoWatcher::IoWatcher(IoHandler* handler, int fd, int events)
{
    ev_io_init(&_watcher, &IoWatcher::callback, fd, events);
    _watcher.data = handler;
}

void IoWatcher::set(int fd, int events)
{
    // libev takes new parameters only while the watcher is stopped.
    if (_loop != nullptr) ev_io_stop(_loop, &_watcher);
    ev_io_set(&_watcher, fd, events);
    if (_loop != nullptr) ev_io_start(_loop, &_watcher);
}

void IoWatcher::callback(struct ev_loop*, ev_io* watcher, int events)
{
    static_cast<IoHandler*>(watcher->data)->onActive(watcher->fd, events);
}

} // namespace Event
} // namespace Kestrava
