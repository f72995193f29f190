#include "network/sockshandshake.h"

#include "network/sockshandler.h"
#include "network/socksreply.h"

#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Network
{

namespace
{

constexpr unsigned char socksVersion = 5;
constexpr unsigned char noAuthentication = 0;
constexpr unsigned char connectCommand = 1;
constexpr unsigned char ipv4Type = 1;
constexpr unsigned char nameType = 3;
constexpr unsigned char ipv6Type = 4;

/// Version, code, reserved byte, address type and the name's length byte:
/// enough to know the reply's length.
constexpr size_t replyHead = 5;

/// The CONNECT request: version, command, reserved byte, address type,
/// address and port in network order.
class Socks5Request
{
public:
    Socks5Request(const DNS::Ip& ip, unsigned long port)
    {
        _bytes[_size++] = socksVersion;
        _bytes[_size++] = connectCommand;
        _bytes[_size++] = 0;
        _bytes[_size++] = ip.version() == 6 ? ipv6Type : ipv4Type;
        std::memcpy(_bytes + _size, ip.data(), ip.size());
        _size += ip.size();
        _bytes[_size++] = static_cast<unsigned char>(port >> 8);
        _bytes[_size++] = static_cast<unsigned char>(port);
    }

    const char* data() const { return reinterpret_cast<const char*>(_bytes); }
    size_t size() const { return _size; }

private:
    unsigned char _bytes[22];
    size_t _size = 0;
};

} // namespace

SocksHandshake::SocksHandshake(TcpSocket* socket, const DNS::Ip& ip, unsigned long port,
                               SocksHandler* handler)
    : BorrowedSocket(socket), _handler(handler), _ip(ip), _port(port)
{
    const char greeting[] = {socksVersion, 1, noAuthentication};
    send(greeting, sizeof greeting);
}

SocksReply SocksHandshake::reply() const
{
    return SocksReply(_reply, _filled);
}

void SocksHandshake::onData(TcpSocket* socket, Buffer* buffer)
{
    (void)socket;
    if (_method == noMethod && !readMethod(buffer)) return;
    if (_method != noMethod) readReply(buffer);
}

bool SocksHandshake::readMethod(Buffer* buffer)
{
    unsigned char answer[2];
    if (buffer->size() < sizeof answer) return false;
    buffer->copyto(reinterpret_cast<char*>(answer), 0, sizeof answer);
    buffer->shrink(sizeof answer);
    if (answer[0] != socksVersion) _error = "unknown SOCKS protocol version";
    _method = answer[1];
    if (_error != nullptr || _method != noAuthentication)
    {
        fail(buffer);
        return false;
    }
    sendRequest();
    return true;
}

void SocksHandshake::sendRequest()
{
    Socks5Request request(_ip, _port);
    send(request.data(), request.size());
}

size_t SocksHandshake::replyLength() const
{
    switch (_reply[3])
    {
    case ipv4Type:
        return 10;
    case ipv6Type:
        return 22;
    case nameType:
        return 7 + _reply[4];
    default:
        return 0;
    }
}

void SocksHandshake::readReply(Buffer* buffer)
{
    size_t wanted = _expected > 0 ? _expected : replyHead;
    size_t count = std::min(buffer->size(), wanted - _filled);
    buffer->copyto(reinterpret_cast<char*>(_reply) + _filled, 0, count);
    buffer->shrink(count);
    _filled += count;
    if (_filled < wanted) return;
    if (_expected == 0)
    {
        // Another version or address type leaves the length unknowable.
        _expected = _reply[0] == socksVersion ? replyLength() : 0;
        if (_expected == 0) return fail(buffer);
        return readReply(buffer);
    }
    if (_reply[1] != 0) return fail(buffer);
    finish(buffer, true, [this] { _handler->onCompleted(this, reply()); });
}

void SocksHandshake::fail(Buffer* buffer)
{
    finish(buffer, false, [this] { _handler->onFailed(this); });
}

void SocksHandshake::onBroken()
{
    _error = "proxy server unexpectedly closed connection";
    _handler->onFailed(this);
}

} // namespace Network
} // namespace Kestrava
