#pragma once

#include "dns/message/ip.h"
#include "network/detail/borrowedsocket.h"

#include <string>

namespace Kestrava
{
namespace Network
{

class HttpProxyHandler;

/**
 * An HTTP CONNECT (RFC 9110 section 9.3.6) on a socket connected to the
 * proxy: sends the request, collects the reply head and takes only its
 * bytes from the input; what follows belongs to the tunnel and goes to the
 * socket's previous handler. A 2xx status completes the handshake.
 */
class HttpProxyHandshake : public detail::BorrowedSocket
{
public:
    /// Becomes the socket's handler and sends the request at once. Throws
    /// std::runtime_error "socket should be connected".
    HttpProxyHandshake(TcpSocket* socket, const DNS::Ip& ip, unsigned long port,
                       HttpProxyHandler* handler);

    void onData(TcpSocket* socket, Buffer* buffer) override;

    /// The reply text received so far.
    const std::string& reply() const { return _reply; }
    /// Whether the reply head arrived whole.
    bool complete() const { return _complete; }

private:
    void onBroken() override;

    HttpProxyHandler* _handler;
    std::string _reply;
    bool _complete = false;
};

} // namespace Network
} // namespace Kestrava
