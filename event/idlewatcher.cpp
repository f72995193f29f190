#include "event/idlewatcher.h"

#include "event/idlehandler.h"

namespace Kestrava {
namespace Event {

IdleWatcher::IdleWatcher(IdleHandler* handler)
{
    ev_idle_init(&_watcher, &IdleWatcher::callback);
    _watcher.data = handler;
}

void IdleWatcher::callback(struct ev_loop*, ev_idle* watcher, int)
{
    static_cast<IdleHandler*>(watcher->data)->onIdle();
}

} // namespace Event
} // namespace Kestrava
