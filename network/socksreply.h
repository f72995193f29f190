#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrava
{
namespace Network
{

/// A SOCKS5 reply as the proxy sent it (RFC 1928 section 6); a view of the
/// handshake's reply area, valid during the report.
class SocksReply
{
public:
    SocksReply(const unsigned char* data, size_t size) : _data(data), _size(size) {}

    uint8_t version() const { return _data[0]; }
    /// 0 for success, else the reason of the refusal.
    uint8_t code() const { return _data[1]; }
    /// 1 IPv4, 3 a name, 4 IPv6.
    uint8_t addressType() const { return _data[3]; }

    const unsigned char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    const unsigned char* _data;
    size_t _size;
};

} // namespace Network
} // namespace Kestrava
