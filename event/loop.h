#pragma once

#include <ev.h>

#include <memory>

namespace Kestrava {
namespace Event {

class INotify;

/**
 * An event loop over libev that owns its ev_loop.
 *
 * Running and breaking the loop is left to libev: users call ev_run() and
 * ev_break() on loop(). Every watcher started on a loop must be stopped or
 * destroyed before the loop is.
 */
class Loop
{
public:
    /// Takes ownership of the libev loop (may be null).
    explicit Loop(struct ev_loop* loop) : _loop(loop) {}

    Loop(const Loop&) = delete;
    Loop& operator=(const Loop&) = delete;

    virtual ~Loop();

    struct ev_loop* loop() const { return _loop; }

    /// The loop's inotify reader: the current one while any file watcher
    /// keeps it alive, else a new one. Throws std::runtime_error "Could not
    /// create inotify file descriptor!" when the descriptor cannot be made.
    std::shared_ptr<INotify> inotify();

private:
    struct ev_loop* _loop;

    /// Owned by the file watchers that use it, not by the loop.
    std::weak_ptr<INotify> _inotify;
};

} // namespace Event
} // namespace Kestrava
