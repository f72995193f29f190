#include "browse/failure.h"

#include "browse/handler.h"
#include "event/loop.h"

namespace Kestrava
{
namespace Browse
{

void Failure::report(Event::Loop* loop, const char* message, Browse::Handler* handler)
{
    new Failure(loop, message, handler);
}

Failure::Failure(Event::Loop* loop, const char* message, Browse::Handler* handler)
    : _message(message), _handler(handler)
{
    _watcher.start(loop->loop());
}

void Failure::onIdle()
{
    // Gone before the report, so that the handler may do anything in it.
    std::string message = std::move(_message);
    Browse::Handler* handler = _handler;
    delete this;
    handler->onFailed(message.c_str());
}

} // namespace Browse
} // namespace Kestrava
