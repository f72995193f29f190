#pragma once

#include <vector>

namespace AMQP
{

class Monitor;

/// An object that may be destroyed inside one of its own callbacks. Code
/// that calls out places a Monitor on it first and, after the call, touches
/// the object only while the monitor is still valid.
class Watchable
{
public:
    Watchable() = default;
    Watchable(const Watchable&) = delete;
    Watchable& operator=(const Watchable&) = delete;

    /// Invalidates every monitor still placed on the object.
    virtual ~Watchable();

private:
    friend class Monitor;

    void add(Monitor* monitor) { _monitors.push_back(monitor); }
    void remove(Monitor* monitor);

    std::vector<Monitor*> _monitors;
};

} // namespace AMQP
