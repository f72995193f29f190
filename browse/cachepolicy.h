#pragma once

#include <cstdint>

namespace Kestrava
{
namespace Browse
{

class Header;

/**
 * What a response head says about caching it, read from its
 * "cache-control", "expires", "etag" and "date" fields: whether a cache may
 * store it and for how long, and whether a stored copy is still fresh.
 * Fields of any content give an answer; numbers saturate.
 */
class CachePolicy
{
public:
    /// The lifetime of a response with an entity tag: it can be revalidated.
    static constexpr int64_t year = 31536000;
    /// The lifetime when the head gives none.
    static constexpr int64_t unknown = -1;

    /// The head's rules at `now` (seconds since the epoch).
    CachePolicy(const Header& header, int64_t now);

    /// Whether the response may be stored; if so, for `lifetime` seconds
    /// (`unknown` when the head gives none).
    bool storable(int64_t& lifetime) const;
    /// Whether a stored copy with this head may be used without asking.
    bool fresh() const;

private:
    void readCacheControl(const char* value);

    int64_t _now;
    /// "private" or "no-store".
    bool _forbidden = false;
    /// A "max-age" without a number or with 0.
    bool _maxAgeForbids = false;
    bool _cacheControl = false;
    bool _etag = false;
    bool _expires = false;
    int64_t _expiry = 0;
    /// Seconds since the epoch; 0 without a "date".
    int64_t _date = 0;
    /// The freshness value: "s-maxage" when not 0, else "max-age"; -1 none.
    int64_t _sharedMaxAge = -1;
    int64_t _maxAge = -1;
};

} // namespace Browse
} // namespace Kestrava
