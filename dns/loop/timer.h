#pragma once

namespace DNS
{

/// Receives the expiry of a one-shot timer started through a Loop.
/// The identifier of a fired timer must still be given back with Loop::cancel.
/// Called on the loop's thread; the implementation may destroy the object
/// that started the timer (the loop touches nothing of it afterwards).
class Timer
{
public:
    virtual void expire() = 0;

protected:
    virtual ~Timer() = default;
};

} // namespace DNS
