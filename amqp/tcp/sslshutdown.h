#pragma once

#include "amqp/tcp/sslwrapper.h"
#include "amqp/tcp/tcpextstate.h"

namespace AMQP
{

/// Sends TLS close_notify and waits for the peer's before the socket is
/// closed.
class SslShutdown : public TcpExtState
{
public:
    SslShutdown(TcpExtState* previous, SslWrapper&& ssl);

    TcpState* process(const Monitor& monitor, int fd, int flags) override;

private:
    SslWrapper _ssl;
};

} // namespace AMQP
