#include "amqp/watchable.h"

#include "amqp/monitor.h"

#include <algorithm>

namespace AMQP
{

Watchable::~Watchable()
{
    for (Monitor* monitor : _monitors)
        monitor->invalidate();
}

void Watchable::remove(Monitor* monitor)
{
    _monitors.erase(std::remove(_monitors.begin(), _monitors.end(), monitor), _monitors.end());
}

} // namespace AMQP
