#pragma once

namespace DNS
{

class Watcher;

/// An object that may be destroyed inside one of its own callbacks. Code
/// that calls out holds a Watcher on it and touches it afterwards only while
/// the Watcher is valid.
class Watchable
{
public:
    Watchable() = default;
    // Watchers watch this object, not a copy of it.
    Watchable(const Watchable&) = delete;
    Watchable& operator=(const Watchable&) = delete;
    virtual ~Watchable();

private:
    friend class Watcher;

    // The watchers, linked through themselves: watching costs no allocation.
    Watcher* _watchers = nullptr;
};

} // namespace DNS
