#include "dns/now.h"

#include <time.h>

namespace DNS
{

Now::Now()
{
    // Monotonic: a wall clock set back would hold every retry and time-out
    // for the length of the step.
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    _seconds = double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

} // namespace DNS
