#include "amqp/tcpconnection.h"

#include "amqp/address.h"
#include "amqp/connectionorder.h"
#include "amqp/monitor.h"
#include "amqp/tcp/tcpclosed.h"
#include "amqp/tcp/tcpresolver.h"
#include "amqp/tcphandler.h"

#include <utility>

namespace AMQP
{

namespace
{

const char* prematureClose = "connection prematurely closed by client";

} // namespace

TcpConnection::TcpConnection(TcpHandler* handler, const Address& address)
try : _handler(handler),
    _state(new TcpResolver(this, address.hostname(), address.port(), address.secure(),
                           address.option("connectTimeout", 5),
                           ConnectionOrder(address.option("connectionOrder")))),
    _connection(this, address.login(), address.vhost())
{
    _handler->onAttached(this);
}
catch (...)
{
    // The resolver may have asked to watch before it failed (no thread can
    // start): whatever the handler keeps for this connection goes with it.
    handler->onDestroyed(this);
}

TcpConnection::~TcpConnection()
{
    // The loop turn whose end would write them may never come: a loop left
    // with ev_break ends without it.
    _state->flush();
    int fd = fileno();
    if (fd >= 0) _handler->monitor(this, fd, 0);
    TcpHandler* handler = std::exchange(_handler, nullptr);
    handler->onDestroyed(this);
    // Then the engine (whose close may still write to the state), then the
    // state; with no handler, nothing of theirs reaches the user.
}

void TcpConnection::replace(TcpState* next)
{
    if (next != nullptr && next != _state.get()) _state.reset(next);
}

void TcpConnection::process(int fd, int flags)
{
    // The state learns from its own monitor whether it still exists: a
    // close(true) inside a callback replaces it while it runs.
    Monitor self(this);
    Monitor state(_state.get());
    TcpState* next = _state->process(state, fd, flags);
    if (!self.valid() || !state.valid()) return;
    replace(next);
    // After a fatal error nothing more is exchanged but what the state just
    // wrote (a close-ok at most): waiting for a peer that may never close
    // would hold the connection for ever.
    if (self.valid() && _failed && !_state->closed()) replace(new TcpClosed(_state.get()));
}

bool TcpConnection::close(bool immediate)
{
    if (!immediate) return _connection.close();
    Monitor monitor(this);
    bool failed = _connection.fail(prematureClose);
    if (!monitor.valid()) return true;
    if (failed && _handler != nullptr)
    {
        _handler->onError(this, prematureClose);
        if (!monitor.valid()) return true;
    }
    onLost(_state.get());
    if (!monitor.valid()) return true;
    replace(new TcpClosed(_state.get()));
    return true;
}

int TcpConnection::fileno() const
{
    return _state->fileno();
}

size_t TcpConnection::queued() const
{
    return _state->queued();
}

bool TcpConnection::closed() const
{
    return _state->closed();
}

void TcpConnection::flush()
{
    _state->flush();
}

void TcpConnection::onProperties(Connection*, const Table& server, Table& client)
{
    if (_handler != nullptr) _handler->onProperties(this, server, client);
}

uint16_t TcpConnection::onNegotiate(Connection*, uint16_t interval)
{
    _state->maxframe(_connection.maxFrame());
    return _handler != nullptr ? _handler->onNegotiate(this, interval) : interval;
}

void TcpConnection::onData(Connection*, const char* buffer, size_t size)
{
    _state->send(buffer, size);
}

void TcpConnection::onHeartbeat(Connection*)
{
    if (_handler != nullptr) _handler->onHeartbeat(this);
}

void TcpConnection::onBlocked(Connection*, const char* reason)
{
    if (_handler != nullptr) _handler->onBlocked(this, reason);
}

void TcpConnection::onUnblocked(Connection*)
{
    if (_handler != nullptr) _handler->onUnblocked(this);
}

void TcpConnection::onError(Connection*, const char* message)
{
    Monitor monitor(this);
    if (_handler != nullptr) _handler->onError(this, message);
    if (!monitor.valid()) return;
    _failed = true;
    _state->close();
}

void TcpConnection::onReady(Connection*)
{
    if (_handler != nullptr) _handler->onReady(this);
}

void TcpConnection::onClosed(Connection*)
{
    _state->close();
    if (_handler != nullptr) _handler->onClosed(this);
}

void TcpConnection::onConnected(TcpState*)
{
    if (_handler != nullptr) _handler->onConnected(this);
}

bool TcpConnection::onSecuring(TcpState*, SSL* ssl)
{
    return _handler != nullptr && _handler->onSecuring(this, ssl);
}

bool TcpConnection::onSecured(TcpState*, const SSL* ssl)
{
    return _handler != nullptr && _handler->onSecured(this, ssl);
}

uint64_t TcpConnection::onReceived(TcpState*, const Buffer& buffer)
{
    return _connection.parse(buffer);
}

void TcpConnection::onIdle(TcpState*, int fd, int flags)
{
    if (_handler != nullptr) _handler->monitor(this, fd, flags);
}

uint64_t TcpConnection::expected()
{
    return _connection.expected();
}

bool TcpConnection::defer(TcpState*)
{
    return _handler != nullptr && _handler->defer(this);
}

void TcpConnection::onError(TcpState*, const char* message, bool connected)
{
    if (_handler == nullptr) return;
    Monitor monitor(this);
    bool failed = _connection.fail(message);
    if (!monitor.valid()) return;
    if (failed) _handler->onError(this, message);
    if (!monitor.valid() || connected) return;
    _handler->onDetached(this);
}

void TcpConnection::onLost(TcpState*)
{
    if (_handler == nullptr) return;
    Monitor monitor(this);
    _handler->onLost(this);
    if (monitor.valid()) _handler->onDetached(this);
}

} // namespace AMQP
