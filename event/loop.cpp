#include "event/loop.h"

#include "event/inotify.h"

namespace Kestrava {
namespace Event {

Loop::~Loop()
{
    if (_loop != nullptr) ev_loop_destroy(_loop);
}

std::shared_ptr<INotify> Loop::inotify()
{
    if (auto current = _inotify.lock()) return current;
    auto created = std::make_shared<INotify>(this);
    _inotify = created;
    return created;
}

} // namespace Event
} // namespace Kestrava
