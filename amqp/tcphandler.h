#pragma once

#include <cstdint>

typedef struct ssl_st SSL;

namespace AMQP
{

class Table;
class TcpConnection;

/// Event flags of monitor and TcpConnection::process; libev's read and
/// write bits.
constexpr int readable = 1;
constexpr int writable = 2;

/// What a TcpConnection asks of its user: watching descriptors (monitor)
/// and hearing of the connection's progress. Every call is made on the
/// thread that calls TcpConnection::process; the connection is owned by
/// the user, who must keep the handler alive as long as the connection.
///
/// Re-entrancy: the connection may be destroyed inside any call except
/// onProperties, onNegotiate and monitor.
class TcpHandler
{
public:
    virtual ~TcpHandler() = default;

    /// The connection is constructed; the first call.
    virtual void onAttached(TcpConnection* /*connection*/) {}

    /// The TCP connection is up.
    virtual void onConnected(TcpConnection* /*connection*/) {}

    /// The TLS object before the handshake, to adjust; false aborts.
    virtual bool onSecuring(TcpConnection* /*connection*/, SSL* /*ssl*/) { return true; }

    /// The finished handshake, to inspect (the peer certificate, for
    /// instance); false rejects it.
    virtual bool onSecured(TcpConnection* /*connection*/, const SSL* /*ssl*/) { return true; }

    /// The broker's properties and the client's, which may be filled in.
    virtual void onProperties(TcpConnection* /*connection*/, const Table& /*server*/,
                              Table& /*client*/)
    {
    }

    /// The broker's heartbeat interval in seconds; the result is the
    /// interval agreed to, 0 for none. The default agrees to none.
    virtual uint16_t onNegotiate(TcpConnection* /*connection*/, uint16_t /*interval*/) { return 0; }

    /// The handshake is complete.
    virtual void onReady(TcpConnection* /*connection*/) {}

    /// A heartbeat arrived.
    virtual void onHeartbeat(TcpConnection* /*connection*/) {}

    /// The broker stopped reading from the connection during a resource
    /// alarm; reason (valid for the call) is the broker's.
    virtual void onBlocked(TcpConnection* /*connection*/, const char* /*reason*/) {}

    /// The broker reads from the connection again.
    virtual void onUnblocked(TcpConnection* /*connection*/) {}

    /// The connection failed; message is valid for the call only.
    virtual void onError(TcpConnection* /*connection*/, const char* /*message*/) {}

    /// The broker confirmed an orderly close.
    virtual void onClosed(TcpConnection* /*connection*/) {}

    /// The socket was closed after having been connected.
    virtual void onLost(TcpConnection* /*connection*/) {}

    /// The last call about this connection until it is destroyed (a
    /// close(true) may repeat the onLost, onDetached pair once).
    virtual void onDetached(TcpConnection* /*connection*/) {}

    /// Asks to watch fd for flags (readable, writable, both; 0 stops) and
    /// to call the connection's process when it is ready.
    virtual void monitor(TcpConnection* connection, int fd, int flags) = 0;

    /// Output is ready outside a read: true when the handler calls the
    /// connection's flush before it next waits for events, so that frames
    /// sent in one turn of its loop share one write. The default, false,
    /// has every frame written at once.
    virtual bool defer(TcpConnection* /*connection*/) { return false; }

    /// The connection is being destroyed, also when it never reported
    /// onDetached: whatever the handler keeps for it must go now. No call
    /// about it follows.
    virtual void onDestroyed(TcpConnection* /*connection*/) {}
};

} // namespace AMQP
