#pragma once

#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpinbuffer.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <sys/types.h>

namespace AMQP
{

/// Plain TCP once connected. Reads go into one input block, sized to the
/// negotiated frame maximum, and every complete frame in it is handed to
/// the engine in the same wake-up; writes go out at once when nothing is
/// queued and the handler does not defer them, else in order behind the
/// queue.
class TcpConnected : public TcpExtState
{
public:
    /// Takes the socket and the octets sent before it was connected, and
    /// tries to write those at once.
    TcpConnected(TcpExtState* previous, TcpOutBuffer&& buffered);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* buffer, size_t size) override;
    /// Half-closes once the queue is drained; the state ends when the peer
    /// closes its side.
    void close() override;
    void maxframe(size_t size) override { _reallocate = size; }
    size_t queued() const override { return _out.size(); }
    /// Writes what was held back while the engine read or after a defer.
    void flush() override;

private:
    /// Whether result ends the connection; reports "connection lost"
    /// unless we closed it ourselves.
    bool reportError(ssize_t result);

    TcpOutBuffer _out;
    TcpInBuffer _in;
    size_t _reallocate = 0;
    bool _closed = false;
    bool _corked = false;
};

} // namespace AMQP
