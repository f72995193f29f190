#include "amqp/tcp/addressinfo.h"

#include "amqp/connectionorder.h"

#include <algorithm>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <random>
#include <stdexcept>
#include <string>

namespace AMQP
{

namespace
{

/// IPv4 before IPv6; IPv4 addresses as their four octets read as a
/// little-endian word, IPv6 addresses octet by octet.
bool lessThan(const addrinfo* a, const addrinfo* b)
{
    if (a->ai_family != b->ai_family) return a->ai_family < b->ai_family;
    if (a->ai_family == AF_INET)
    {
        auto word = [](const addrinfo* entry)
        {
            const auto* octets = reinterpret_cast<const uint8_t*>(
                &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
            return uint32_t(octets[0]) | uint32_t(octets[1]) << 8 | uint32_t(octets[2]) << 16 |
                   uint32_t(octets[3]) << 24;
        };
        return word(a) < word(b);
    }
    if (a->ai_family == AF_INET6)
    {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6*>(b->ai_addr)->sin6_addr,
                           sizeof(in6_addr)) < 0;
    }
    return false;
}

} // namespace

AddressInfo::AddressInfo(const char* hostname, uint16_t port, const ConnectionOrder& order)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    int result = getaddrinfo(hostname, std::to_string(port).c_str(), &hints, &_list);
    if (result != 0) throw std::runtime_error(gai_strerror(result));
    for (const addrinfo* entry = _list; entry != nullptr; entry = entry->ai_next)
        _entries.push_back(entry);
    switch (order.order())
    {
    case ConnectionOrder::Order::standard:
        break;
    case ConnectionOrder::Order::random:
    {
        std::random_device device("default");
        std::mt19937 engine(device());
        std::shuffle(_entries.begin(), _entries.end(), engine);
        break;
    }
    case ConnectionOrder::Order::ascending:
        std::sort(_entries.begin(), _entries.end(), lessThan);
        break;
    case ConnectionOrder::Order::descending:
        std::sort(_entries.begin(), _entries.end(), lessThan);
        std::reverse(_entries.begin(), _entries.end());
        break;
    }
}

AddressInfo::~AddressInfo()
{
    if (_list != nullptr) freeaddrinfo(_list);
}

} // namespace AMQP
