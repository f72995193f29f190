#include "logging/detail/line.h"

#include "toolbox/datetime.h"

#include <ev.h>

namespace Kestrava {
namespace Logging {

namespace {

const char* prefix(const priority& level)
{
    switch (level)
    {
    case warning:
        return "[Warning]  ";
    case critical:
        return "[Critical] ";
    default:
        return "[Info]     ";
    }
}

} // namespace

std::string line(const priority& level, const std::string& text)
{
    // The time is when the writer thread writes, not when the line was queued.
    Toolbox::DateTime now(ev_time());
    const char* time = now.sql(false);

    std::string result(prefix(level));
    result.reserve(result.size() + 24 + text.size());
    result += "[";
    if (time != nullptr) result += time;
    result += "] ";
    result += text;
    result += "\n";
    return result;
}

} // namespace Logging
} // namespace Kestrava
