#pragma once

namespace DNS
{

/// Receives the readiness of a descriptor watched through a Loop.
/// Called on the loop's thread; the implementation may destroy the object
/// that watches (it must then not touch itself afterwards).
class Monitor
{
public:
    /// The descriptor is ready; which events is not passed on.
    virtual void notify() = 0;

protected:
    virtual ~Monitor() = default;
};

} // namespace DNS
