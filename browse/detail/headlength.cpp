#include "browse/detail/headlength.h"

#include <cstring>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

size_t headLength(const char* data, size_t size, size_t from)
{
    const char* end = data + size;
    for (const char* at = data + from;
         at < end && (at = static_cast<const char*>(memchr(at, '\n', end - at))) != nullptr; ++at)
    {
        // The line feed of the last field line, then the empty line.
        if (end - at >= 2 && at[1] == '\n') return static_cast<size_t>(at - data) + 2;
        if (end - at >= 3 && at[1] == '\r' && at[2] == '\n')
            return static_cast<size_t>(at - data) + 3;
    }
    return 0;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
