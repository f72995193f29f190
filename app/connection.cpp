#include "app/connection.h"

#include "app/addresses.h"
#include "app/global.h"
#include "logging/proxy.h"

#include <ev.h>

#include <stdexcept>

Connection::Connection(AMQP::TcpHandler* handler, const Addresses& addresses)
    : _handler(this, _loop.loop()), _addresses(addresses)
{
    for (; _index < _addresses.size(); ++_index)
    {
        if (!probe()) continue;
        // The probe's connection lives on the private loop: the service's
        // own starts anew on the handler's loop.
        _connection.reset();
        _connection.emplace(handler, _addresses[_index]);
        return;
    }
    throw std::runtime_error("No RabbitMQ connection available.");
}

const AMQP::Address& Connection::address() const
{
    return _addresses[_index];
}

bool Connection::probe()
{
    _ready = false;
    _connection.emplace(&_handler, _addresses[_index]);
    // Broken by the ready state, the failure or the end of the attempt.
    ev_run(_loop.loop(), 0);
    if (!_ready) _connection.reset();
    return _ready;
}

void Connection::Handler::onReady(AMQP::TcpConnection*)
{
    _connection->_ready = true;
    ev_break(_connection->_loop.loop(), EVBREAK_ONE);
}

void Connection::Handler::onError(AMQP::TcpConnection*, const char* message)
{
    Kestrava::Logging::Proxy(Global::log, Kestrava::Logging::warning)
        << "Connection error for " << written(_connection->address()) << ": " << message;
    ev_break(_connection->_loop.loop(), EVBREAK_ONE);
}

void Connection::Handler::onDetached(AMQP::TcpConnection* connection)
{
    AMQP::LibEvHandler::onDetached(connection);
    ev_break(_connection->_loop.loop(), EVBREAK_ONE);
}
