#pragma once

#include "amqp/buffers/copiedbuffer.h"
#include "amqp/login.h"
#include "amqp/watchable.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

namespace AMQP
{

class Buffer;
class ChannelImpl;
class Connection;
class ConnectionHandler;
class Frame;
class Table;

/// The transport-independent engine of a connection: turns received octets
/// into frames and dispatches them, runs the handshake, owns the table of
/// channels, and decides for every outgoing frame whether it is written
/// through the handler at once, queued, or refused.
///
/// States: protocol (header sent) -> handshake (start handled) ->
/// connected (open-ok) -> closing (connection.close sent) -> closed. A
/// failure (fail, a protocol error, the broker closing the connection)
/// leads straight to closed: nothing is read or sent after it.
///
/// Re-entrancy: any callback except onProperties and onNegotiate may
/// destroy the connection; every operation that calls out holds a Monitor
/// and touches nothing once it is invalid.
class ConnectionImpl : public Watchable
{
public:
    enum class State
    {
        protocol,
        handshake,
        connected,
        closing,
        closed
    };

    /// Writes the protocol header through handler at once.
    ConnectionImpl(Connection* parent, ConnectionHandler* handler, const Login& login,
                   const std::string& vhost);
    /// Closes (which may write through the handler) and detaches the
    /// channels, which live on without a connection.
    ~ConnectionImpl() override;

    uint64_t parse(const Buffer& buffer);
    bool close();
    bool fail(const char* message);
    bool heartbeat();

    /// Writes, queues or refuses (false) one frame.
    bool send(const Frame& frame);
    /// Writes or queues a frame that a channel held back; refused unless
    /// connected.
    bool send(CopiedBuffer&& buffer);

    /// Attaches a channel: its id, 0 when none is left.
    uint16_t add(const std::shared_ptr<ChannelImpl>& channel);
    void remove(const ChannelImpl* channel);
    std::shared_ptr<ChannelImpl> channel(int id) const;

    // The handshake and the connection's methods, driven by received frames.
    /// Lets the handler see the server's and fill the client's properties;
    /// false when the connection went away meanwhile.
    bool setProtocolOk(const Table& server, Table& client);
    void setCapacity(uint16_t channels, uint32_t frameMax);
    uint16_t setHeartbeat(uint16_t interval);
    void setReady();
    void reportClosed();
    void reportHeartbeat();
    /// The broker's resource alarm: it stops, then resumes reading.
    void reportBlocked(const std::string& reason);
    void reportUnblocked();
    /// Fails every channel, then tells the handler; the connection is
    /// closed from then on.
    void reportError(const char* message);

    const Login& login() const { return _login; }
    const std::string& vhost() const { return _vhost; }
    State state() const { return _state; }
    bool ready() const { return _state == State::connected; }
    bool closing() const { return _state == State::closing; }
    bool handshaking() const { return _state < State::connected; }
    bool closed() const { return _state == State::closed; }
    uint32_t maxFrame() const { return _maxFrame; }
    /// Payload octets of the largest frame.
    uint32_t maxPayload() const { return _maxFrame - 8; }
    uint32_t expected() const { return _expected; }
    bool usable() const;

private:
    /// Whether any channel waits for a reply or holds frames back.
    bool channelsWaiting() const;
    /// Sends connection.close once the connection is ready and no channel
    /// waits any more.
    void closeWhenIdle();
    /// Closes the connection and fails every channel.
    void failChannels(const char* message);

    Connection* _parent;
    ConnectionHandler* _handler;
    State _state = State::protocol;
    bool _closeRequested = false;
    std::unordered_map<uint16_t, std::shared_ptr<ChannelImpl>> _channels;
    uint16_t _nextFreeChannel = 1;
    uint16_t _channelLimit = 0;
    uint32_t _maxFrame = 4096;
    uint32_t _expected = 7;
    Login _login;
    std::string _vhost;
    std::deque<CopiedBuffer> _queue;
};

} // namespace AMQP
