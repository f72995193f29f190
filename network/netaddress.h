#pragma once

#include "dns/message/ip.h"

#include <cstdint>

namespace Kestrava
{
namespace Network
{

/// An address and a port.
class NetAddress
{
public:
    NetAddress() = default;
    NetAddress(const DNS::Ip& ip, uint16_t port) : _ip(ip), _port(port) {}
    virtual ~NetAddress() = default;

    const DNS::Ip& ip() const { return _ip; }
    uint16_t port() const { return _port; }

protected:
    DNS::Ip _ip;
    uint16_t _port = 0;
};

} // namespace Network
} // namespace Kestrava
