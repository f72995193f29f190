#include "toolbox/datetime.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace Kestrava {
namespace Toolbox {

namespace {

/// Beyond this many digits a double no longer holds the fraction.
constexpr int maximumPrecision = 6;

bool isComplete(DateTime::state form)
{
    return form == DateTime::completeUtc || form == DateTime::completeLocal;
}

} // namespace

const char* DateTime::sql(bool local)
{
    return format("%Y-%m-%d %H:%M:%S", local ? sqlLocal : sqlUtc, local, 0);
}

const char* DateTime::complete(int precision, bool local)
{
    return format("%Y-%m-%d %H:%M:%S", local ? completeLocal : completeUtc, local, precision);
}

const char* DateTime::iso8601(bool local)
{
    return format("%FT%T%z", local ? iso8601Local : iso8601Utc, local, 0);
}

const char* DateTime::rfc822(bool local)
{
    return format("%a, %d %b %y %H:%M:%S %z", local ? rfc822Local : rfc822Utc, local, 0);
}

const char* DateTime::ansi(bool local)
{
    return format("%c", local ? ansiLocal : ansiUtc, local, 0);
}

const char* DateTime::format(const char* format, state form, bool local, int precision)
{
    if (form == _state && precision == _precision) return _buffer;
    _state = none;
    _precision = -1;

    bool fraction = isComplete(form) && precision > 0;
    if (fraction && precision > maximumPrecision) return nullptr;

    // Whole seconds are taken downwards, so that a time before the epoch
    // has a fraction in [0, 1) like any other and its digits fit.
    double seconds = std::floor(_time);
    long long digits = 0;
    if (fraction)
    {
        long long scale = std::llround(std::pow(10.0, precision));
        digits = std::llround((_time - seconds) * static_cast<double>(scale));

        // 1.9996 at three digits rounds to 2.000, never to "1.1000".
        if (digits >= scale)
        {
            digits -= scale;
            seconds += 1.0;
        }
    }

    // Converting a double outside time_t's range is undefined.
    if (!std::isfinite(seconds) ||
        seconds < static_cast<double>(std::numeric_limits<time_t>::min()) ||
        seconds >= static_cast<double>(std::numeric_limits<time_t>::max()))
    {
        return nullptr;
    }
    time_t whole = static_cast<time_t>(seconds);

    struct tm parts;
    if ((local ? localtime_r(&whole, &parts) : gmtime_r(&whole, &parts)) == nullptr) return nullptr;

    size_t length = strftime(_buffer, size, format, &parts);
    if (length == 0) return nullptr;

    if (fraction)
    {
        if (length + precision + 2 > static_cast<size_t>(size)) return nullptr;
        int written = snprintf(_buffer + length, size - length, ".%0*lld", precision, digits);
        if (written != precision + 1) return nullptr;
    }

    _state = form;
    _precision = precision;
    return _buffer;
}

} // namespace Toolbox
} // namespace Kestrava
