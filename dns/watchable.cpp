#include "dns/watchable.h"

#include "dns/watcher.h"

namespace DNS
{

Watchable::~Watchable()
{
    for (Watcher* watcher = _watchers; watcher; watcher = watcher->_next)
        watcher->_watchable = nullptr;
}

Watcher::Watcher(const Watchable* watchable)
    : _watchable(const_cast<Watchable*>(watchable)), _next(_watchable->_watchers)
{
    if (_next) _next->_previous = this;
    _watchable->_watchers = this;
}

Watcher::~Watcher()
{
    if (!_watchable) return;
    (_previous ? _previous->_next : _watchable->_watchers) = _next;
    if (_next) _next->_previous = _previous;
}

} // namespace DNS
