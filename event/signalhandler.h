#pragma once

#include "event/handler.h"

namespace Kestrava {
namespace Event {

/// Handler of a SignalWatcher; called on the loop's thread.
class SignalHandler : public Handler
{
public:
    virtual void onSignal(int signum) = 0;
};

} // namespace Event
} // namespace Kestrava
