#include "filter/forceend.h"

#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

ForceEnd::ForceEnd(Result* next, const char* end)
    : Filter(next), _end(end), _length(std::strlen(end))
{
}

ForceEnd::~ForceEnd()
{
    try
    {
        if (_matched < _length) next->append(_end + _matched, _length - _matched, true);
    }
    catch (...)
    {
        // A destructor must not throw.
    }
}

size_t ForceEnd::process(const char* data, size_t size, bool final)
{
    size_t total = next->append(data, size, final);
    if (size == 0) return total;
    size_t count = std::min(_length, _matched + size);
    while (count > 0 && !endsWith(data, size, count))
        --count;
    _matched = count;
    return total;
}

bool ForceEnd::endsWith(const char* data, size_t size, size_t count) const
{
    if (count <= size) return std::memcmp(data + size - count, _end, count) == 0;
    // The chunk is the tail of the head of the end text; what came before
    // must end with the rest, which lies within what matched before.
    size_t before = count - size;
    return std::memcmp(data, _end + before, size) == 0 &&
           std::memcmp(_end + _matched - before, _end, before) == 0;
}

} // namespace Filter
} // namespace Kestrava
