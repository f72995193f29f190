#pragma once

#include "dns/message/ip.h"

#include <cstdint>

namespace Kestrava
{
namespace Browse
{

/// A proxy that connections reach their targets through: its address and
/// port, and whether it speaks SOCKS5 (else HTTP CONNECT).
class Proxy
{
public:
    Proxy(const DNS::Ip& ip, uint16_t port, bool socks5) : _ip(ip), _port(port), _socks5(socks5) {}

    const DNS::Ip& ip() const { return _ip; }
    uint16_t port() const { return _port; }
    bool socks5() const { return _socks5; }

private:
    DNS::Ip _ip;
    uint16_t _port;
    bool _socks5;
};

} // namespace Browse
} // namespace Kestrava
