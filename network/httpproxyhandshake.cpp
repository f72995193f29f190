#include "network/httpproxyhandshake.h"

#include "dns/message/printable.h"
#include "network/httpproxyhandler.h"
#include "network/httpproxyreply.h"

#include <algorithm>
#include <string>

namespace Kestrava
{
namespace Network
{

namespace
{

/// What one step takes from the input.
constexpr size_t chunkSize = 256;
/// A reply head longer than this is refused instead of kept growing.
constexpr size_t longestReply = 16384;

constexpr char headEnd[] = "\r\n\r\n";
constexpr size_t headEndSize = sizeof headEnd - 1;

} // namespace

HttpProxyHandshake::HttpProxyHandshake(TcpSocket* socket, const DNS::Ip& ip, unsigned long port,
                                       HttpProxyHandler* handler)
    : BorrowedSocket(socket), _handler(handler)
{
    // An IPv6 address needs its brackets, or its colons would run into the
    // port's (RFC 3986 section 3.2.2).
    DNS::Printable address(ip);
    std::string host = ip.version() == 6 ? "[" + std::string(address) + "]" : std::string(address);
    std::string request = "CONNECT " + host + ":" + std::to_string(port) + " HTTP/1.1\r\n\r\n";
    send(request.data(), request.size());
}

void HttpProxyHandshake::onData(TcpSocket* socket, Buffer* buffer)
{
    (void)socket;
    while (buffer->size() > 0)
    {
        size_t before = _reply.size();
        size_t count = std::min(buffer->size(), chunkSize);
        _reply.resize(before + count);
        buffer->copyto(&_reply[before], 0, count);
        // The end may straddle the previous chunk.
        size_t end =
            _reply.find(headEnd, before >= headEndSize - 1 ? before - (headEndSize - 1) : 0);
        if (end != std::string::npos)
        {
            _reply.resize(end + headEndSize);
            buffer->shrink(_reply.size() - before);
            _complete = true;
            HttpProxyReply reply(_reply);
            bool accepted = reply.status() >= 200 && reply.status() <= 299;
            return finish(buffer, accepted,
                          [this, accepted, &reply]
                          {
                              if (accepted)
                                  _handler->onCompleted(this, reply);
                              else
                                  _handler->onFailed(this);
                          });
        }
        buffer->shrink(count);
        if (_reply.size() > longestReply)
            return finish(buffer, false, [this] { _handler->onFailed(this); });
    }
}

void HttpProxyHandshake::onBroken()
{
    _handler->onFailed(this);
}

} // namespace Network
} // namespace Kestrava
