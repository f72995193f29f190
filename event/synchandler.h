#pragma once

#include "event/handler.h"

namespace Kestrava {
namespace Event {

/// Handler of a SyncWatcher; runs on the loop's thread.
class SyncHandler : public Handler
{
public:
    virtual void onSynchronize() = 0;
};

} // namespace Event
} // namespace Kestrava
