#include "browse/base.h"

#include "browse/handler.h"
#include "browse/httpconnection.h"

#include <algorithm>
#include <exception>

namespace Kestrava
{
namespace Browse
{

Base::~Base()
{
    for (HttpConnection* connection : _connections)
        connection->detach();
}

void Base::request(const Delayed& request)
{
    if (_connections.size() >= _connectionLimit)
    {
        _waiting.push_back(request);
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
