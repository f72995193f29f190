#pragma once

#include "event/watchable.h"

namespace Kestrava {
namespace Event {

/**
 * Guards a Watchable for the length of one call that may destroy it.
 *
 * Lives on the caller's stack:
 *
 *     Monitor monitor(this);
 *     _handler->onSomething(this);
 *     if (!monitor.valid()) return; // destroyed inside the callback
 */
class Monitor : public Watchable::Parent
{
public:
    explicit Monitor(Watchable* object) : _object(object) { _object->addMonitor(this); }

    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    ~Monitor() override
    {
        if (_object != nullptr) _object->removeMonitor(this);
    }

    /// Whether the guarded object still exists.
    bool valid() const { return _object != nullptr; }

    void invalidate() override { _object = nullptr; }

private:
    Watchable* _object;
};

} // namespace Event
} // namespace Kestrava
