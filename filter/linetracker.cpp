#include "filter/linetracker.h"

#include "filter/detail/set.h"

namespace Kestrava
{
namespace Filter
{

size_t LineTracker::process(const char* data, size_t size, bool final)
{
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        if (c == '\r' || c == '\n' || c == '\0')
            _position = BufferSize(1, 1);
        else
        {
            ++_position.max;
            if (!detail::isContinuation(c)) ++_position.preferred;
        }
    }
    return next->append(data, size, final);
}

} // namespace Filter
} // namespace Kestrava
