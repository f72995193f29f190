#pragma once

#include <cstdint>

typedef struct ssl_st SSL;

namespace AMQP
{

class Buffer;
class TcpState;

/// What the socket states call on their owner, the TcpConnection. Every
/// call but expected may destroy the connection: the state checks its
/// monitor afterwards.
class TcpParent
{
public:
    virtual ~TcpParent() = default;

    virtual void onConnected(TcpState* state) = 0;
    virtual bool onSecuring(TcpState* state, SSL* ssl) = 0;
    virtual bool onSecured(TcpState* state, const SSL* ssl) = 0;
    /// Hands received octets to the engine; returns how many it consumed.
    virtual uint64_t onReceived(TcpState* state, const Buffer& buffer) = 0;
    /// Asks the handler to watch fd for flags (0: stop).
    virtual void onIdle(TcpState* state, int fd, int flags) = 0;
    /// A failure; connected tells whether a socket had been connected (an
    /// onLost, hence onDetached, follows then).
    virtual void onError(TcpState* state, const char* message, bool connected) = 0;
    /// The connected socket was closed.
    virtual void onLost(TcpState* state) = 0;
    /// Octets the engine needs for its next frame.
    virtual uint64_t expected() = 0;
    /// Whether output may wait for the state's flush, which the handler
    /// then calls before it waits for events again.
    virtual bool defer(TcpState* state) = 0;
};

} // namespace AMQP
