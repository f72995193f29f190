#pragma once

#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/watchable.h"

#include <memory>

namespace AMQP
{

class Address;
class TcpHandler;
class TcpState;

/// An AMQP connection that owns its socket: resolving and connecting in a
/// thread, then plain TCP or TLS, driven by process calls from the event
/// loop for the descriptors the handler was asked to watch.
///
/// Ownership: the user owns the connection and the handler, which must
/// outlive it. The connection may be destroyed at any time on the loop
/// thread, also inside any handler call but onProperties, onNegotiate and
/// monitor; destroying it while it resolves waits for the thread.
class TcpConnection : private ConnectionHandler, private Watchable, private TcpParent
{
public:
    /// Starts resolving and connecting at once; options of the address:
    /// "connectTimeout" (seconds, default 5) and "connectionOrder".
    TcpConnection(TcpHandler* handler, const Address& address);
    ~TcpConnection() override;

    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    /// fd is ready for flags (readable, writable).
    void process(int fd, int flags);

    /// false: the orderly AMQP close, whose result is returned; true: the
    /// connection fails at once with "connection prematurely closed by
    /// client".
    bool close(bool immediate = false);

    int fileno() const;
    /// Octets waiting to be written.
    size_t queued() const;
    bool closed() const;
    /// Whether the protocol header or the handshake is still under way.
    bool handshaking() const { return _connection.handshaking(); }
    /// Sends a heartbeat; false once the connection is closed.
    bool heartbeat() { return _connection.heartbeat(); }
    /// Whether channels may still be opened and used: false already while
    /// the channels hear of the connection's failure.
    bool usable() const { return _connection.usable(); }
    /// Writes the output held back after the handler's defer.
    void flush();

private:
    friend class TcpChannel;

    // ConnectionHandler
    void onProperties(Connection* connection, const Table& server, Table& client) override;
    uint16_t onNegotiate(Connection* connection, uint16_t interval) override;
    void onData(Connection* connection, const char* buffer, size_t size) override;
    void onHeartbeat(Connection* connection) override;
    void onBlocked(Connection* connection, const char* reason) override;
    void onUnblocked(Connection* connection) override;
    void onError(Connection* connection, const char* message) override;
    void onReady(Connection* connection) override;
    void onClosed(Connection* connection) override;

    // TcpParent
    void onConnected(TcpState* state) override;
    bool onSecuring(TcpState* state, SSL* ssl) override;
    bool onSecured(TcpState* state, const SSL* ssl) override;
    uint64_t onReceived(TcpState* state, const Buffer& buffer) override;
    void onIdle(TcpState* state, int fd, int flags) override;
    void onError(TcpState* state, const char* message, bool connected) override;
    void onLost(TcpState* state) override;
    uint64_t expected() override;
    bool defer(TcpState* state) override;

    /// Makes next the current state, when it is one.
    void replace(TcpState* next);

    TcpHandler* _handler;
    std::unique_ptr<TcpState> _state;
    Connection _connection;
    /// The engine failed (a protocol error, the broker's close): the socket
    /// closes once the current process call is done.
    bool _failed = false;
};

} // namespace AMQP
