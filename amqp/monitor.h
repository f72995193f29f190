#pragma once

#include "amqp/watchable.h"

namespace AMQP
{

/// Tells whether a Watchable still exists. Lives on the stack of the code
/// that makes a callback; the object it watches must exist when it is made.
class Monitor
{
public:
    explicit Monitor(Watchable* watchable) : _watchable(watchable) { _watchable->add(this); }
    ~Monitor()
    {
        if (_watchable != nullptr) _watchable->remove(this);
    }

    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    bool valid() const { return _watchable != nullptr; }

private:
    friend class Watchable;

    void invalidate() { _watchable = nullptr; }

    Watchable* _watchable;
};

} // namespace AMQP
