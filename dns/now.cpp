#include "dns/now.h"

#include <sys/time.h>

namespace DNS
{

Now::Now()
{
    timeval now;
    gettimeofday(&now, nullptr);
    _seconds = double(now.tv_sec) + double(now.tv_usec) * 1e-6;
}

} // namespace DNS
