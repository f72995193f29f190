#pragma once

#include "dns/message/ip.h"
#include "network/detail/borrowedsocket.h"
#include "network/socksreply.h"

#include <cstdint>

namespace Kestrava
{
namespace Network
{

class SocksHandler;

/**
 * A SOCKS5 CONNECT by address without authentication (RFC 1928) on a
 * socket connected to the proxy.
 *
 * States: greeting sent, waiting for the method reply → request sent,
 * collecting the reply → done. Only the reply's own bytes are taken from
 * the input; what follows belongs to the tunnel and goes to the socket's
 * previous handler.
 */
class SocksHandshake : public detail::BorrowedSocket
{
public:
    /// The method byte before the proxy chose one.
    static constexpr uint16_t noMethod = 0xFFFF;

    /// Becomes the socket's handler and sends the greeting at once. Throws
    /// std::runtime_error "socket should be connected".
    SocksHandshake(TcpSocket* socket, const DNS::Ip& ip, unsigned long port, SocksHandler* handler);

    void onData(TcpSocket* socket, Buffer* buffer) override;

    /// A failure text of the handshake itself, or null.
    const char* error() const { return _error; }
    /// The authentication method the proxy chose; noMethod before it did.
    uint16_t method() const { return _method; }
    /// Whether the reply arrived whole.
    bool complete() const { return _expected > 0 && _filled == _expected; }
    /// The reply received so far.
    SocksReply reply() const;

private:
    void onBroken() override;

    /// Reads the method reply; false when the handshake ended.
    bool readMethod(Buffer* buffer);
    void sendRequest();
    /// Takes reply bytes from `buffer` up to the end of the reply.
    void readReply(Buffer* buffer);
    /// The reply length by its address type; 0 when that is unknown.
    size_t replyLength() const;
    void fail(Buffer* buffer);

    SocksHandler* _handler;
    DNS::Ip _ip;
    unsigned long _port;
    const char* _error = nullptr;
    uint16_t _method = noMethod;
    unsigned char _reply[512];
    size_t _filled = 0;
    size_t _expected = 0;
};

} // namespace Network
} // namespace Kestrava
