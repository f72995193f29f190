#include "event/signalwatcher.h"

#include "event/signalhandler.h"

namespace Kestrava {
namespace Event {

SignalWatcher::SignalWatcher(SignalHandler* handler, int signum)
{
    ev_signal_init(&_watcher, &SignalWatcher::callback, signum);
    _watcher.data = handler;
}

void SignalWatcher::callback(struct ev_loop*, ev_signal* watcher, int)
{
    static_cast<SignalHandler*>(watcher->data)->onSignal(watcher->signum);
}

} // namespace Event
} // namespace Kestrava
