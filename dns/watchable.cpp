#include "dns/watchable.h"

#include "dns/watcher.h"

#include <algorithm>

namespace DNS
{

Watchable::~Watchable()
{
    for (Watcher* watcher : _watchers)
        watcher->_watchable = nullptr;
}

Watcher::Watcher(const Watchable* watchable) : _watchable(const_cast<Watchable*>(watchable))
{
    _watchable->_watchers.push_back(this);
}

Watcher::~Watcher()
{
    if (!_watchable) return;
    auto& watchers = _watchable->_watchers;
    watchers.erase(std::find(watchers.begin(), watchers.end(), this));
}

} // namespace DNS
