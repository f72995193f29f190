#pragma once

#include "event/loop.h"

namespace Kestrava {
namespace Event {

/// A private loop for a thread or a blocking operation, destroyed with it.
class ThreadLoop : public Loop
{
public:
    ThreadLoop() : Loop(ev_loop_new(0)) {}
};

} // namespace Event
} // namespace Kestrava
