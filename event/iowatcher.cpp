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
    reconfigure([&] { ev_io_set(&_watcher, fd, events); });
}

void IoWatcher::callback(struct ev_loop*, ev_io* watcher, int events)
{
    static_cast<IoHandler*>(watcher->data)->onActive(watcher->fd, events);
}

} // namespace Event
} // namespace Kestrava
