#pragma once

#include "event/idlehandler.h"
#include "event/idlewatcher.h"

#include <string>
#include <vector>

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
    /// `pending`, when given, lists the failure until it is reported, so
    /// that its owner can cancel it.
    static void report(Event::Loop* loop, const char* message, Browse::Handler* handler,
                       std::vector<Failure*>* pending = nullptr);

    /// Deletes the failure unreported; returns its handler.
    Browse::Handler* cancel();
    /// The list is going away: the failure is reported all the same.
    void unlist() { _pending = nullptr; }

private:
    Failure(Event::Loop* loop, const char* message, Browse::Handler* handler,
            std::vector<Failure*>* pending);
    void onIdle() override;

    Event::IdleWatcher _watcher{this};
    std::string _message;
    Browse::Handler* _handler;
    std::vector<Failure*>* _pending;
};

} // namespace Browse
} // namespace Kestrava
