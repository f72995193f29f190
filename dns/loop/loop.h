#pragma once

namespace DNS
{

class Monitor;
class Timer;

/// What the resolver needs of an event loop, so that it depends on none in
/// particular. Every identifier returned by add or timer is given back
/// exactly once, through remove or cancel. All calls come from the loop's thread.
class Loop
{
public:
    /// Event bits, libev's values.
    static constexpr int readable = 1;
    static constexpr int writable = 2;

    virtual ~Loop() = default;

    /// Starts watching a descriptor; the monitor is told while it is ready.
    virtual void* add(int fd, int events, Monitor* monitor) = 0;
    /// Changes what an existing watcher watches; returns its (new) identifier.
    virtual void* update(void* identifier, int fd, int events, Monitor* monitor) = 0;
    /// Stops watching and releases the identifier.
    virtual void remove(void* identifier, int fd, Monitor* monitor) = 0;
    /// Starts a one-shot timer.
    virtual void* timer(double seconds, Timer* timer) = 0;
    /// Stops a timer, fired or not, and releases the identifier.
    virtual void cancel(void* identifier, Timer* timer) = 0;
};

} // namespace DNS
