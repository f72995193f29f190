#pragma once

#include "amqp/tcp/sslcontext.h"
#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <string>

namespace AMQP
{

/// The client side of the TLS handshake on the connected socket; what the
/// engine sends meanwhile is held for SslConnected.
class SslHandshake : public TcpExtState
{
public:
    /// Takes the socket, prepares the SSL object with hostname as SNI name
    /// and lets the handler adjust it. Throws std::runtime_error when any
    /// step fails; the socket then stays with previous.
    SslHandshake(TcpExtState* previous, const std::string& hostname, TcpOutBuffer&& buffered);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* buffer, size_t size) override { _out.add(buffer, size); }
    size_t queued() const override { return _out.size(); }

private:
    SslContext _context;
    SslWrapper _ssl;
    TcpOutBuffer _out;
};

} // namespace AMQP
