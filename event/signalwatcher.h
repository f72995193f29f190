#pragma once

#include "event/watcher.h"

namespace Kestrava {
namespace Event {

class SignalHandler;

/// Watches one signal number and calls SignalHandler::onSignal.
class SignalWatcher : public Watcher<ev_signal>
{
public:
    SignalWatcher(SignalHandler* handler, int signum);

    static void callback(struct ev_loop* loop, ev_signal* watcher, int events);
};

} // namespace Event
} // namespace Kestrava
