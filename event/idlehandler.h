#pragma once

#include "event/handler.h"

namespace Kestrava {
namespace Event {

/// Handler of an IdleWatcher: called once per loop iteration while started.
class IdleHandler : public Handler
{
public:
    virtual void onIdle() = 0;
};

} // namespace Event
} // namespace Kestrava
