#include "browse/operation.h"

#include "browse/connection.h"
#include "browse/context.h"
#include "browse/header.h"
#include "browse/queue.h"

#include <utility>

namespace Kestrava
{
namespace Browse
{

void Operation::start()
{
    Queue& queue = *_queue;
    const DNS::Ip& ip = queue.addresses()[_tried++];
    if (_https)
        queue.context().https(queue.host(), ip, _port, this);
    else
        queue.context().http(queue.host(), ip, _port, this);
}

bool Operation::accept(Connection* connection)
{
    // A TLS connection whose certificate is not valid for the host is
    // never handed on.
    if (_https != connection->secure(true) || connection->port() != _port ||
        !connection->replace(this))
        return false;
    connection->expire(_queue->context().timeout());
    return true;
}

Browse::Handler* Operation::cancel()
{
    Browse::Handler* user = _user;
    delete this;
    return user;
}

void Operation::onFailed(const char* message)
{
    // The next address, unheard by the user.
    if (_tried < _queue->addresses().size()) return start();
    if (_user != nullptr) _user->onFailed(message);
    end();
}

void Operation::onExpired(Connection* connection)
{
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onExpired(connection);
    end();
}

void Operation::onAvailable(Connection* connection)
{
    if (_user != nullptr) _user->onAvailable(connection);
}

void Operation::onHeader(Connection* connection, const Header& header)
{
    _keepAlive = header.keepAlive();
    if (_user != nullptr) _user->onHeader(connection, header);
}

void Operation::onReceived(Connection* connection, const char* data, size_t size)
{
    if (_user != nullptr) _user->onReceived(connection, data, size);
}

void Operation::onCompleted(Connection* connection)
{
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onCompleted(connection);
    // A body ended by the server's close: no closing report follows.
    if (!connection->connected()) return end();
    if (!connection->usable()) return;
    if (_keepAlive && _queue->handOver(connection))
    {
        // One ends, one starts: the running count stays.
        delete this;
        return;
    }
    connection->close();
}

void Operation::onLost(Connection* connection)
{
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onLost(connection);
    end();
}

void Operation::onClosed(Connection* connection)
{
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onClosed(connection);
    end();
}

void Operation::end()
{
    Queue* queue = _queue;
    delete this;
    queue->ended();
}

} // namespace Browse
} // namespace Kestrava
