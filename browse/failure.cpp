#include "browse/failure.h"

#include "browse/handler.h"
#include "event/loop.h"

#include <algorithm>

namespace Kestrava
{
namespace Browse
{

void Failure::report(Event::Loop* loop, const char* message, Browse::Handler* handler,
                     std::vector<Failure*>* pending)
{
    auto* failure = new Failure(loop, message, handler, pending);
    if (pending != nullptr) pending->push_back(failure);
}

Failure::Failure(Event::Loop* loop, const char* message, Browse::Handler* handler,
                 std::vector<Failure*>* pending)
    : _message(message), _handler(handler), _pending(pending)
{
    _watcher.start(loop->loop());
}

Browse::Handler* Failure::cancel()
{
    Browse::Handler* handler = _handler;
    delete this;
    return handler;
}

void Failure::onIdle()
{
    if (_pending != nullptr)
        _pending->erase(std::remove(_pending->begin(), _pending->end(), this), _pending->end());
    // Gone before the report, so that the handler may do anything in it.
    std::string message = std::move(_message);
    Browse::Handler* handler = _handler;
    delete this;
    handler->onFailed(message.c_str());
}

} // namespace Browse
} // namespace Kestrava
