#pragma once

#include "amqp/detail/connectionimpl.h"

#include <cstdint>
#include <string>

namespace AMQP
{

class Buffer;
class ConnectionHandler;
class Login;

/// An AMQP connection without a transport: what it wants written goes to
/// its handler's onData, what arrives is handed to parse. Constructing it
/// already writes the protocol header.
///
/// Ownership: the user owns the connection; the handler is not owned and
/// must outlive it. Channels opened on it may outlive it; they then refuse
/// every operation. The connection may be destroyed inside any callback
/// of its handler or of its channels, except onProperties and onNegotiate.
/// Destroying it closes it first, which may call onData.
class Connection
{
public:
    Connection(ConnectionHandler* handler, const Login& login, const std::string& vhost)
        : _implementation(this, handler, login, vhost)
    {
    }
    virtual ~Connection() = default;

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Processes the whole frames at the front of buffer; returns how many
    /// octets it consumed. The caller drops them and calls again once more
    /// has arrived (expected() octets make the next frame). A protocol
    /// error, or an answer that cannot be encoded (a virtual host longer
    /// than 255 octets), closes the connection and is reported through
    /// onError.
    uint64_t parse(const Buffer& buffer) { return _implementation.parse(buffer); }

    /// Octets the next frame needs: 7 for a header, then the whole frame.
    uint32_t expected() const { return _implementation.expected(); }

    /// The largest frame, 4096 until the broker's tune.
    uint32_t maxFrame() const { return _implementation.maxFrame(); }

    /// Body octets that fit in one frame.
    uint32_t maxPayload() const { return _implementation.maxPayload(); }

    /// Asks for an orderly close: the channels are closed and the broker's
    /// outstanding replies awaited, then connection.close goes out; false
    /// when a close was asked for already or the connection is closed.
    bool close() { return _implementation.close(); }

    /// Declares the connection dead (the transport lost it): every channel
    /// fails with message; false when it was closed already.
    bool fail(const char* message) { return _implementation.fail(message); }

    /// Whether channels may still be opened and used.
    bool usable() const { return _implementation.usable(); }

    /// Whether the protocol header or the handshake is still under way.
    bool handshaking() const { return _implementation.handshaking(); }

    /// Sends a heartbeat frame, also while a requested close waits for the
    /// broker's replies; false once the connection is closed.
    bool heartbeat() { return _implementation.heartbeat(); }

private:
    friend class ChannelImpl;

    ConnectionImpl _implementation;
};

} // namespace AMQP
