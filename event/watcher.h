#pragma once

#include "event/detail/libevcalls.h"

#include <ev.h>

namespace Kestrava {
namespace Event {

/**
 * The base of the watchers: owns one libev watcher structure.
 *
 * Stopped (no loop) or started (the loop it was started on). Not copyable:
 * libev keeps a pointer to the embedded structure while it is started. A
 * watcher must be stopped or destroyed before its loop is.
 */
template <typename Structure> class Watcher
{
public:
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    /// Stops the libev watcher when started.
    virtual ~Watcher()
    {
        if (_loop != nullptr) detail::stop(_loop, &_watcher);
    }

    /// Starts on a loop; libev ignores the start of an active watcher.
    virtual void start(struct ev_loop* loop)
    {
        _loop = loop;
        detail::start(loop, &_watcher);
    }

    /// Stops; harmless on a stopped watcher.
    virtual void stop()
    {
        if (_loop == nullptr) return;
        detail::stop(_loop, &_watcher);
        _loop = nullptr;
    }

    bool started() const { return _loop != nullptr; }

    /// Sets the libev priority (EV_MINPRI -2 to EV_MAXPRI 2, 0 as made):
    /// of the watchers due in one loop turn, the higher runs first. A started
    /// watcher is restarted, since libev takes it only from a stopped one.
    void priority(int value)
    {
        reconfigure([this, value] { ev_set_priority(&_watcher, value); });
    }

protected:
    Watcher() = default;

    /// Applies a change of parameters: libev takes them only while the
    /// watcher is stopped, and a started watcher stays started.
    template <typename Change> void reconfigure(Change change)
    {
        if (_loop != nullptr) detail::stop(_loop, &_watcher);
        change();
        if (_loop != nullptr) detail::start(_loop, &_watcher);
    }

    Structure _watcher;

    /// The loop it was started on; null while stopped.
    struct ev_loop* _loop = nullptr;
};

} // namespace Event
} // namespace Kestrava
