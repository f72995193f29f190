#include "event/watchable.h"

#include <algorithm>

namespace Kestrava {
namespace Event {

Watchable::~Watchable()
{
    for (auto monitor : _monitors) monitor->invalidate();
}

void Watchable::removeMonitor(Parent* monitor)
{
    _monitors.erase(std::remove(_monitors.begin(), _monitors.end(), monitor), _monitors.end());
}

} // namespace Event
} // namespace Kestrava
