#include "filter/strip.h"

#include "filter/detail/output.h"
#include "filter/detail/set.h"

namespace Kestrava
{
namespace Filter
{

size_t Strip::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
        if (!detail::inSet(_set, data[i])) output.keep(data + i, 1);
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
