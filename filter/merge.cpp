#include "filter/merge.h"

#include "filter/detail/output.h"
#include "filter/detail/set.h"

namespace Kestrava
{
namespace Filter
{

size_t Merge::process(const char* data, size_t size, bool final)
{
    detail::Output output(next, final);
    for (size_t i = 0; i < size; ++i)
    {
        bool member = detail::inSet(_set.c_str(), data[i]);
        // The replacement is a copy that dies with the stage, before the
        // sink: it is not final.
        if (member && !_inRun) output.add(_replacement.data(), _replacement.size());
        if (!member) output.keep(data + i, 1);
        _inRun = member;
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
