#include "dns/transport/address.h"

#include "dns/message/ip.h"

#include <cstring>

#include <netinet/in.h>

namespace DNS
{

Address::Address(const Ip& ip, uint16_t port)
{
    if (ip.version() == 4)
    {
        auto* address = reinterpret_cast<sockaddr_in*>(&_address);
        address->sin_family = AF_INET;
        address->sin_port = htons(port);
        memcpy(&address->sin_addr, ip.data(), 4);
        _size = sizeof(sockaddr_in);
        return;
    }
    auto* address = reinterpret_cast<sockaddr_in6*>(&_address);
    address->sin6_family = AF_INET6;
    address->sin6_port = htons(port);
    memcpy(&address->sin6_addr, ip.data(), 16);
    _size = sizeof(sockaddr_in6);
}

} // namespace DNS
