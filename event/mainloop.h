#pragma once

#include "event/loop.h"

namespace Kestrava {
namespace Event {

/**
 * The process-wide loop over libev's default loop; never destroyed.
 *
 * The first instance() call must happen on the main thread before any
 * other thread can make one.
 */
class MainLoop : public Loop
{
public:
    static MainLoop* instance();

private:
    MainLoop();
};

} // namespace Event
} // namespace Kestrava
