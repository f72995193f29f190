#pragma once

namespace DNS
{

/// The time in seconds on a clock that setting the wall clock leaves alone,
/// for scheduling.
class Now
{
public:
    Now();

    operator double() const { return _seconds; }

private:
    double _seconds;
};

} // namespace DNS
