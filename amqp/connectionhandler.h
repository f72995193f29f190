#pragma once

#include <cstddef>
#include <cstdint>

namespace AMQP
{

class Connection;
class Table;

/// What a connection asks of its user: it writes through onData and tells
/// of its progress through the other calls. Every call is made on the
/// thread that drives the connection; the Connection* passed is the one
/// calling and stays owned by the user.
///
/// Re-entrancy: onData, onHeartbeat, onBlocked, onUnblocked, onError,
/// onReady and onClosed may
/// destroy the connection; the connection touches nothing of itself after
/// such a call once it is gone. onProperties and onNegotiate must not
/// destroy it: the handshake goes on right after them. onData only writes:
/// a frame may reach it in pieces, so sending anything from inside it (a
/// channel's operation, or destroying a channel, which closes it) would
/// put octets amid the frame.
class ConnectionHandler
{
public:
    virtual ~ConnectionHandler() = default;

    /// The broker's properties (owned by the connection, valid for the call)
    /// and the client properties about to be sent, which may be filled in;
    /// defaults are added for the keys left unset.
    virtual void onProperties(Connection* /*connection*/, const Table& /*server*/,
                              Table& /*client*/)
    {
    }

    /// The broker's heartbeat interval in seconds; the result is the
    /// interval the client agrees to, 0 for none.
    virtual uint16_t onNegotiate(Connection* /*connection*/, uint16_t /*interval*/) { return 0; }

    /// Octets to write to the broker, in order; buffer is valid only for
    /// the call, so whatever cannot be written at once must be copied.
    virtual void onData(Connection* connection, const char* buffer, size_t size) = 0;

    /// A heartbeat arrived.
    virtual void onHeartbeat(Connection* /*connection*/) {}

    /// The broker stopped reading from the connection for want of a
    /// resource (a memory or disk alarm), with its reason (valid for the
    /// call). Whatever is sent meanwhile waits, and so do the broker's
    /// answers to it; reading goes on, so deliveries and heartbeats still
    /// arrive.
    virtual void onBlocked(Connection* /*connection*/, const char* /*reason*/) {}

    /// The broker reads from the connection again.
    virtual void onUnblocked(Connection* /*connection*/) {}

    /// The connection failed with message (valid for the call): a protocol
    /// error or the broker closing the connection.
    virtual void onError(Connection* /*connection*/, const char* /*message*/) {}

    /// The handshake is complete; called once.
    virtual void onReady(Connection* /*connection*/) {}

    /// The broker confirmed the close; called once.
    virtual void onClosed(Connection* /*connection*/) {}
};

} // namespace AMQP
