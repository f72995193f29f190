#include "browse/base.h"

#include "browse/failure.h"
#include "browse/handler.h"
#include "browse/httpconnection.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace Kestrava
{
namespace Browse
{

Base::~Base()
{
    for (HttpConnection* connection : _connections)
        connection->detach();
    for (Failure* failure : _failures)
        failure->unlist();
}

void Base::fail(const char* message, Browse::Handler* handler)
{
    if (cancelled(handler)) return;
    Failure::report(_loop, message, handler, &_failures);
}

std::vector<Browse::Handler*> Base::release()
{
    std::vector<Browse::Handler*> handlers;
    std::vector<HttpConnection*> connections = std::exchange(_connections, {});
    for (HttpConnection* connection : connections)
    {
        if (Browse::Handler* handler = connection->handler()) handlers.push_back(handler);
        connection->detach();
        delete connection;
    }
    for (const Delayed& waiting : std::exchange(_waiting, {}))
        handlers.push_back(waiting.handler);
    for (Failure* failure : std::exchange(_failures, {}))
        handlers.push_back(failure->cancel());
    return handlers;
}

bool Base::cancelled(Browse::Handler* handler)
{
    if (_closing) _cancelled.push_back(handler);
    return _closing;
}

void Base::tellCancelled()
{
    // A loop, not recursion: a handler that asks again from each report is
    // told again without growing the stack.
    while (!_cancelled.empty())
    {
        Browse::Handler* handler = _cancelled.front();
        _cancelled.pop_front();
        handler->onFailed("operation cancelled");
    }
}

void Base::request(const Delayed& request)
{
    if (cancelled(request.handler)) return;
    if (_connections.size() >= _connectionLimit)
    {
        _waiting.push_back(request);
        makeRoom();
        return;
    }
    _connections.push_back(open(request));
}

void Base::remove(HttpConnection* connection)
{
    _connections.erase(std::remove(_connections.begin(), _connections.end(), connection),
                       _connections.end());
    while (!_waiting.empty() && _connections.size() < _connectionLimit)
    {
        Delayed waiting = _waiting.front();
        _waiting.pop_front();
        try
        {
            _connections.push_back(open(waiting));
        }
        catch (const std::exception& error)
        {
            waiting.handler->onFailed(error.what());
        }
    }
}

} // namespace Browse
} // namespace Kestrava
