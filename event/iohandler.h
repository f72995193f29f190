#pragma once

#include "event/handler.h"
#include "event/watchable.h"

#include <ev.h>

namespace Kestrava {
namespace Event {

/**
 * Handler of an IoWatcher.
 *
 * Any callback may destroy the handler; onActive() guards the second call
 * of a combined event against that.
 */
class IoHandler : public Handler, public Watchable
{
public:
    /// Dispatches libev's event bits: writing is served before reading,
    /// and reading is skipped when writing destroyed the handler.
    virtual void onActive(int fd, int events);

    virtual void onReadable(int fd) { (void)fd; }
    virtual void onWritable(int fd) { (void)fd; }
};

} // namespace Event
} // namespace Kestrava
