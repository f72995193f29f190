#include "event/syncwatcher.h"

#include "event/synchandler.h"

namespace Kestrava {
namespace Event {

SyncWatcher::SyncWatcher(SyncHandler* handler)
{
    ev_async_init(&_watcher, &SyncWatcher::callback);
    _watcher.data = handler;
}

void SyncWatcher::synchronize()
{
    if (_loop != nullptr) ev_async_send(_loop, &_watcher);
}

void SyncWatcher::callback(struct ev_loop*, ev_async* watcher, int)
{
    static_cast<SyncHandler*>(watcher->data)->onSynchronize();
}

} // namespace Event
} // namespace Kestrava
