#pragma once

#include <vector>

namespace Kestrava {
namespace Event {

/**
 * An object that may be destroyed inside one of its own callbacks.
 *
 * Callers place a Monitor on it before calling out, and afterwards ask the
 * monitor whether the object still exists. Copies start with no monitors:
 * a monitor guards one object, not its value.
 */
class Watchable
{
public:
    /// Whatever watches a Watchable; Monitor is the implementation.
    class Parent
    {
    public:
        /// Called by the watched object's destructor.
        virtual void invalidate() = 0;
        virtual ~Parent() = default;
    };

    Watchable() = default;
    Watchable(const Watchable&) {}
    Watchable& operator=(const Watchable&) { return *this; }

    /// Invalidates every monitor still placed on the object, in the order
    /// they were placed.
    virtual ~Watchable();

    void addMonitor(Parent* monitor) { _monitors.push_back(monitor); }

    /// Removes every entry of the monitor; one that is not there is ignored.
    void removeMonitor(Parent* monitor);

private:
    std::vector<Parent*> _monitors;
};

} // namespace Event
} // namespace Kestrava
