#include "filter/rtrim.h"

#include "filter/detail/set.h"

namespace Kestrava
{
namespace Filter
{

size_t Rtrim::process(const char* data, size_t size, bool final)
{
    size_t end = size;
    while (end > 0 && detail::inSet(_set.c_str(), data[end - 1]))
        --end;
    if (end == 0)
    {
        _pending.append(data, size);
        return 0;
    }
    size_t total = 0;
    if (!_pending.empty()) total += next->append(_pending.data(), _pending.size(), false);
    total += next->append(data, end, final);
    _pending.assign(data + end, size - end);
    return total;
}

} // namespace Filter
} // namespace Kestrava
