#include "browse/operation.h"

#include "browse/connection.h"
#include "browse/context.h"
#include "browse/header.h"
#include "browse/queue.h"

#include <algorithm>
#include <utility>

namespace Kestrava
{
namespace Browse
{

namespace
{
/// How long a kept-alive connection waits for the next request of its
/// host. Requests come in bursts (a broker refills its prefetch window in
/// round trips of a few milliseconds), and each new TLS connection costs a
/// handshake; yet it stays well below the shortest idle time-out servers
/// keep by default (two seconds and more) even after a long round trip, so
/// that a server closing it is not racing a request written on it.
constexpr double idleTime = 0.25;
} // namespace

void Operation::start()
{
    Queue& queue = *_queue;
    Context& context = queue.context();
    _tried.resize(queue.addresses().size());
    size_t index = next();
    _tried[index] = true;
    _connecting = index;
    // A short connect while another address remains, so that a dead one
    // leaves time for the next before the deadline.
    double connectTimeout = next() < _tried.size() ? context.connectTimeout() : 0.0;
    const DNS::Ip& ip = queue.addresses()[index];
    if (_https)
        context.https(queue.host(), ip, _port, this, connectTimeout);
    else
        context.http(queue.host(), ip, _port, this, connectTimeout);
}

size_t Operation::next() const
{
    const std::vector<DNS::Ip>& addresses = _queue->addresses();
    Unreachable& unreachable = _queue->context().unreachable();
    size_t fallback = _tried.size();
    for (size_t i = 0; i < _tried.size(); ++i)
    {
        if (_tried[i]) continue;
        if (!unreachable.contains(addresses[i])) return i;
        fallback = std::min(fallback, i);
    }
    return fallback;
}

bool Operation::fits(const Connection& connection) const
{
    // A connection goes only to a request of its own scheme, and a TLS one
    // only with a certificate valid for the host.
    return _https == connection.https() && (!_https || connection.secure(true)) &&
           connection.port() == _port && connection.usable();
}

void Operation::takeOver(Connection* connection)
{
    connection->replace(this);
    connection->expire(_queue->context().timeout());
    _reused = true;
}

Browse::Handler* Operation::cancel()
{
    Browse::Handler* user = _user;
    delete this;
    return user;
}

void Operation::onFailed(const char* message)
{
    // Set aside, so that the requests after this one try it last.
    if (_connecting) _queue->context().unreachable().add(_queue->addresses()[*_connecting]);
    _connecting.reset();
    // The next address, unheard by the user.
    if (next() < _tried.size()) return start();
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
    if (_connecting) _queue->context().unreachable().remove(_queue->addresses()[*_connecting]);
    _connecting.reset();
    if (_user != nullptr) _user->onAvailable(connection);
}

void Operation::onHeader(Connection* connection, const Header& header)
{
    _keepAlive = header.keepAlive();
    // A 408 on a taken connection is the server closing it for its
    // idleness as the request came: it answers nothing, and the request
    // may go again on a new connection (RFC 9110 section 15.5.9).
    _timedOut = _reused && _user != nullptr && header.status() == 408 && connection->repeatable();
    if (_user != nullptr && !_timedOut) _user->onHeader(connection, header);
}

void Operation::onReceived(Connection* connection, const char* data, size_t size)
{
    if (_user != nullptr && !_timedOut) _user->onReceived(connection, data, size);
}

void Operation::onCompleted(Connection* connection)
{
    // Once the connection is gone: its close is reported, or was.
    if (_timedOut) return connection->connected() ? connection->close() : repeat();
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onCompleted(connection);
    // A body ended by the server's close: no closing report follows.
    if (!connection->connected()) return end();
    if (!connection->usable()) return;
    Operation* next = _keepAlive ? _queue->taker(*connection) : nullptr;
    if (next != nullptr)
    {
        // One the server closed (or spoke on) is closed: the waiting
        // request gets a fresh connection once that close ends this one.
        if (!connection->reusable()) return connection->close();
        _queue->handOver(next, connection);
        // One ends, one starts: the running count stays.
        delete this;
        return;
    }
    // Kept a moment when a later request could take it; the connection
    // ends the operation when the server closes it, speaks unasked, or the
    // time is up.
    if (_keepAlive && _https == connection->secure(true))
    {
        _idle = connection;
        connection->expire(idleTime);
        return _queue->keep(this);
    }
    connection->close();
}

void Operation::onLost(Connection* connection)
{
    // A server closes a kept-alive connection when it likes: one that did
    // so as the request went out may never have seen it. It goes once
    // more, on a fresh connection, where the writer allows (as curl does).
    if (_timedOut ||
        (_reused && _user != nullptr && connection->unanswered() && connection->repeatable()))
        return repeat();
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onLost(connection);
    end();
}

void Operation::onClosed(Connection* connection)
{
    if (_timedOut) return repeat();
    if (Browse::Handler* user = std::exchange(_user, nullptr)) user->onClosed(connection);
    end();
}

void Operation::repeat()
{
    _reused = false;
    _timedOut = false;
    start();
}

void Operation::end()
{
    Queue* queue = _queue;
    if (_idle != nullptr) queue->forget(this);
    delete this;
    queue->ended();
}

} // namespace Browse
} // namespace Kestrava
