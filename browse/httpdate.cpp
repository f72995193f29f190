#include "browse/httpdate.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <string>

#include <locale.h>
#include <time.h>

namespace Kestrava
{
namespace Browse
{

namespace
{

/// The C locale, made once: month and day names must not follow the
/// process's locale.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

/// Whether `rest` is fractional seconds: "." and digits up to the end.
bool fraction(const char* rest)
{
    if (*rest != '.' || !isdigit(static_cast<unsigned char>(rest[1]))) return false;
    for (++rest; isdigit(static_cast<unsigned char>(*rest)); ++rest)
        ;
    return *rest == '\0';
}

/// Whether the whole text fits `format`; the time in `time`.
bool fits(const char* text, const char* format, bool fractional, tm& time)
{
    time = tm{};
    const char* rest = strptime_l(text, format, &time, cLocale());
    if (rest == nullptr) return false;
    return *rest == '\0' || (fractional && fraction(rest));
}

} // namespace

int64_t parseHttpDate(const char* text, int64_t now)
{
    std::string trimmed(text);
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.pop_back();

    static const char* const formats[] = {"%a, %d %b %Y %H:%M:%S GMT", "%A, %d-%b-%y %H:%M:%S GMT",
                                          "%a %b %e %H:%M:%S %Y"};
    tm time{};
    bool found = fits(trimmed.c_str(), "%Y-%m-%d %H:%M:%S", true, time);
    for (const char* format : formats)
        found = found || fits(trimmed.c_str(), format, false, time);
    if (!found) return now;
    // timegm, not mktime plus the zone offset: that is an hour off whenever
    // daylight saving time differs between now and the date.
    return static_cast<int64_t>(timegm(&time));
}

} // namespace Browse
} // namespace Kestrava
