#pragma once

#include <ev.h>

namespace Kestrava {
namespace Event {
namespace detail {

// One start and one stop per libev watcher type, so that the watcher
// template can stay generic.
inline void start(struct ev_loop* loop, ev_io* watcher) { ev_io_start(loop, watcher); }
inline void stop(struct ev_loop* loop, ev_io* watcher) { ev_io_stop(loop, watcher); }
inline void start(struct ev_loop* loop, ev_timer* watcher) { ev_timer_start(loop, watcher); }
inline void stop(struct ev_loop* loop, ev_timer* watcher) { ev_timer_stop(loop, watcher); }
inline void start(struct ev_loop* loop, ev_signal* watcher) { ev_signal_start(loop, watcher); }
inline void stop(struct ev_loop* loop, ev_signal* watcher) { ev_signal_stop(loop, watcher); }
inline void start(struct ev_loop* loop, ev_idle* watcher) { ev_idle_start(loop, watcher); }
inline void stop(struct ev_loop* loop, ev_idle* watcher) { ev_idle_stop(loop, watcher); }
inline void start(struct ev_loop* loop, ev_async* watcher) { ev_async_start(loop, watcher); }
inline void stop(struct ev_loop* loop, ev_async* watcher) { ev_async_stop(loop, watcher); }

} // namespace detail
} // namespace Event
} // namespace Kestrava
