#include "browse/cachepolicy.h"

#include "browse/header.h"
#include "browse/httpdate.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{

constexpr int64_t maximum = std::numeric_limits<int64_t>::max();

/// The decimal number at `digits`, saturated; -1 when there is no digit.
int64_t number(const char* digits, size_t size)
{
    if (size == 0 || !isdigit(static_cast<unsigned char>(digits[0]))) return -1;
    int64_t value = 0;
    for (size_t i = 0; i < size && isdigit(static_cast<unsigned char>(digits[i])); ++i)
    {
        int digit = digits[i] - '0';
        value = value > (maximum - digit) / 10 ? maximum : value * 10 + digit;
    }
    return value;
}

/// Whether the token of `size` bytes is `name`, or `name` and "=" (then
/// `argument` is what follows it).
bool named(const char* token, size_t size, const char* name, const char*& argument)
{
    size_t length = strlen(name);
    if (size < length || strncasecmp(token, name, length) != 0) return false;
    if (size == length)
    {
        argument = token + size;
        return true;
    }
    if (token[length] != '=') return false;
    argument = token + length + 1;
    return true;
}

int64_t saturatedSum(int64_t first, int64_t second)
{
    return second > 0 && first > maximum - second ? maximum : first + second;
}

} // namespace

CachePolicy::CachePolicy(const Header& header, int64_t now) : _now(now)
{
    for (const char* value = header.get("cache-control"); value != nullptr;
         value = header.next(value))
        readCacheControl(value);
    _etag = header.get("etag") != nullptr;
    if (const char* expires = header.get("expires"))
    {
        _expires = true;
        _expiry = parseHttpDate(expires, now);
    }
    if (const char* date = header.get("date")) _date = parseHttpDate(date, now);
}

void CachePolicy::readCacheControl(const char* value)
{
    _cacheControl = true;
    static const char separators[] = ", \r\n\t";
    while (*value != '\0')
    {
        value += strspn(value, separators);
        size_t size = strcspn(value, separators);
        if (size == 0) break;
        const char* argument = nullptr;
        if ((size == 7 && strncasecmp(value, "private", 7) == 0) ||
            (size == 8 && strncasecmp(value, "no-store", 8) == 0))
            _forbidden = true;
        else if (named(value, size, "s-maxage", argument))
        {
            int64_t seconds = number(argument, static_cast<size_t>(value + size - argument));
            if (seconds > 0) _sharedMaxAge = seconds;
        }
        else if (named(value, size, "max-age", argument))
        {
            int64_t seconds = number(argument, static_cast<size_t>(value + size - argument));
            if (seconds <= 0)
                _maxAgeForbids = true;
            else
                _maxAge = seconds;
        }
        value += size;
    }
}

bool CachePolicy::storable(int64_t& lifetime) const
{
    if (_forbidden) return false;
    if (_etag)
    {
        lifetime = year;
        return true;
    }
    if (_maxAgeForbids || (_expires && _expiry <= _now)) return false;
    int64_t freshness = _sharedMaxAge > 0 ? _sharedMaxAge : _maxAge;
    int64_t left = _expires ? _expiry - _now : unknown;
    if (freshness > 0)
        lifetime = _expires ? std::min(freshness, left) : freshness;
    else
        lifetime = left;
    return true;
}

bool CachePolicy::fresh() const
{
    if (_expires) return _now < _expiry;
    if (!_cacheControl) return false;
    int64_t freshness = _sharedMaxAge > 0 ? _sharedMaxAge : std::max<int64_t>(_maxAge, 0);
    return _now <= saturatedSum(_date, freshness);
}

} // namespace Browse
} // namespace Kestrava
