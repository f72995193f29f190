#pragma once

#include "amqp/watchable.h"

#include <cstddef>

namespace AMQP
{

class Monitor;
class TcpParent;

/// One state of a TcpConnection's socket: the resolver, plain TCP, the TLS
/// states, closed. process returns the state that is current afterwards:
/// itself, a new one (the owner deletes the old one), or null when the
/// state itself is gone: its monitor watches the state, which a
/// close(true) or the connection's destruction inside a callback deletes.
class TcpState : public Watchable
{
public:
    explicit TcpState(TcpParent* parent) : _parent(parent) {}
    explicit TcpState(const TcpState* previous) : _parent(previous->_parent) {}
    virtual ~TcpState() = default;

    TcpState(const TcpState&) = delete;
    TcpState& operator=(const TcpState&) = delete;

    virtual int fileno() const { return -1; }
    /// Octets waiting to be written.
    virtual size_t queued() const { return 0; }
    virtual bool closed() const { return false; }
    virtual TcpState* process(const Monitor& /*monitor*/, int /*fd*/, int /*flags*/)
    {
        return this;
    }
    virtual void send(const char* /*buffer*/, size_t /*size*/) {}
    /// Ends the connection in order once what is queued is written.
    virtual void close() {}
    /// The negotiated largest frame, to size the input block.
    virtual void maxframe(size_t /*size*/) {}
    /// Writes output held back after a defer.
    virtual void flush() {}

protected:
    TcpParent* _parent;
};

} // namespace AMQP
