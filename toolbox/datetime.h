#pragma once

namespace Kestrava {
namespace Toolbox {

/**
 * One point in time written in a few fixed forms, in UTC or local time.
 *
 * Each form returns a pointer into the object's own buffer, valid until
 * the next call on the object, or null when the text does not fit (or the
 * time cannot be broken down). Asking twice in a row for the same form
 * formats once. Used by one thread at a time.
 */
class DateTime
{
public:
    /// The form of the text in the buffer, UTC forms then local forms.
    enum state
    {
        none = 0,
        sqlUtc = 1,
        completeUtc = 2,
        iso8601Utc = 3,
        rfc822Utc = 4,
        ansiUtc = 5,
        sqlLocal = 6,
        completeLocal = 7,
        iso8601Local = 8,
        rfc822Local = 9,
        ansiLocal = 10,
    };

    /// Seconds since the epoch, fraction included (the log passes ev_time()).
    explicit DateTime(double time) : _time(time) {}

    virtual ~DateTime() = default;

    /// "%Y-%m-%d %H:%M:%S".
    const char* sql(bool local);

    /// The sql form, "." and `precision` digits of the second, rounded to
    /// the nearest; a carry moves into the seconds. Precision 0 or less
    /// gives the sql form, 7 or more gives null.
    const char* complete(int precision, bool local);

    /// "%FT%T%z", such as 1970-01-01T00:00:00+0000.
    const char* iso8601(bool local);

    /// "%a, %d %b %y %H:%M:%S %z".
    const char* rfc822(bool local);

    /// "%c", such as "Thu Jan  1 00:00:00 1970".
    const char* ansi(bool local);

    /// The common worker of the forms above.
    const char* format(const char* format, state form, bool local, int precision);

private:
    static constexpr int size = 30;

    char _buffer[size] = {};
    int _state = none;
    int _precision = -1;
    double _time;
};

} // namespace Toolbox
} // namespace Kestrava
