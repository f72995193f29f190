#include "mime/fields/datetime.h"

#include "filter/result.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

constexpr int minutesPerDay = 24 * 60;

// RFC 5322, section 3.3: the names are fixed, not those of a locale.
const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

DateTime::DateTime() : DateTime(std::time(nullptr)) {}

DateTime::DateTime(std::time_t time, int offset)
{
    if (offset <= -minutesPerDay || offset >= minutesPerDay)
        throw std::invalid_argument("invalid time zone offset");
    // The local time at the offset is the UTC break-down of the shifted time.
    std::time_t shifted;
    struct tm parts;
    if (__builtin_add_overflow(time, static_cast<std::time_t>(offset) * 60, &shifted) ||
        gmtime_r(&shifted, &parts) == nullptr || parts.tm_year < 0 || parts.tm_year > 8099)
        throw std::invalid_argument("time out of range");
    char text[40];
    int length = std::snprintf(
        text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d", days[parts.tm_wday],
        parts.tm_mday, months[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
        parts.tm_sec, offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
    _text.assign(text, static_cast<size_t>(length));
}

size_t DateTime::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    return output->append(_text.data(), _text.size(), final);
}

} // namespace Mime
} // namespace Kestrava
