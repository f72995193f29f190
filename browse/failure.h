#pragma once

#include "event/idlehandler.h"
#include "event/idlewatcher.h"

#include <string>

namespace Kestrava
{
namespace Event
{
class Loop;
}
namespace Browse
{

class Handler;

/// Reports a failure as onFailed on the next loop iteration, so that it
/// never comes from inside the call that found it. Deletes itself after.
class Failure final : private Event::IdleHandler
{
public:
    static void report(Event::Loop* loop, const char* message, Browse::Handler* handler);

private:
    Failure(Event::Loop* loop, const char* message, Browse::Handler* handler);
    void onIdle() override;

    Event::IdleWatcher _watcher{this};
    std::string _message;
    Browse::Handler* _handler;
};

} // namespace Browse
} // namespace Kestrava
