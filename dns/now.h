#pragma once

namespace DNS
{

/// The wall-clock time in seconds, with microseconds, for scheduling.
class Now
{
public:
    Now();

    operator double() const { return _seconds; }

private:
    double _seconds;
};

} // namespace DNS
