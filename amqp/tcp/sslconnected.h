#pragma once

#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpinbuffer.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <string>

namespace AMQP
{

/// AMQP over an established TLS session. OpenSSL may need the socket to be
/// readable for a write or writable for a read: the operation that must be
/// repeated is remembered and repeated whatever the socket reports next.
class SslConnected : public TcpExtState
{
public:
    SslConnected(TcpExtState* previous, SslWrapper&& ssl, TcpOutBuffer&& buffered);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* buffer, size_t size) override;
    /// Shuts TLS down once the queue is drained.
    void close() override;
    void maxframe(size_t size) override { _reallocate = size; }
    size_t queued() const override { return _out.size(); }

private:
    enum class State
    {
        idle,
        write,
        read,
        error
    };

    /// Classifies a TLS result: false when the connection cannot go on
    /// (the text is kept for fail).
    bool repeat(State operation, int error);
    /// Reports the kept failure; the connection ends.
    TcpState* fail(const Monitor& monitor);
    TcpState* repeat(const Monitor& monitor, State operation, int error);
    TcpState* write(const Monitor& monitor);
    TcpState* receive(const Monitor& monitor);
    TcpState* proceed();

    SslWrapper _ssl;
    TcpOutBuffer _out;
    TcpInBuffer _in;
    State _state;
    bool _closed = false;
    size_t _reallocate = 0;
    std::string _failure;
};

} // namespace AMQP
