#include "dns/message/ip.h"

#include "dns/message/a.h"
#include "dns/message/aaaa.h"
#include "dns/message/printable.h"
#include "dns/message/record.h"

#include <cstring>
#include <ostream>
#include <stdexcept>

#include <arpa/nameser.h>
#include <netdb.h>
#include <sys/socket.h>

namespace DNS
{

bool isv4mapped(const in6_addr& address)
{
    static const unsigned char prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return memcmp(address.s6_addr, prefix, sizeof prefix) == 0;
}

Ip::Ip(const char* text)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &list) != 0)
        throw std::runtime_error("invalid IP address supplied");
    int family = list->ai_family;
    if (family == AF_INET)
        assign(reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr);
    else if (family == AF_INET6)
        assign(reinterpret_cast<const sockaddr_in6*>(list->ai_addr)->sin6_addr);
    freeaddrinfo(list);
    if (family != AF_INET && family != AF_INET6)
        throw std::runtime_error("wrong IP protocol version supplied");
}

Ip::Ip(const sockaddr* address)
{
    if (address->sa_family == AF_INET)
        assign(reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
    else if (address->sa_family == AF_INET6)
        assign(reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    else
        throw std::runtime_error("wrong type");
}

Ip::Ip(const in_addr* address)
{
    assign(*address);
}
Ip::Ip(const in_addr& address)
{
    assign(address);
}
Ip::Ip(const in6_addr* address)
{
    assign(*address);
}
Ip::Ip(const in6_addr& address)
{
    assign(address);
}
Ip::Ip(const A& record) : Ip(record.ip()) {}
Ip::Ip(const AAAA& record) : Ip(record.ip()) {}

Ip::Ip(const Record& record)
{
    if (record.type() == ns_t_a)
        *this = A(record).ip();
    else if (record.type() == ns_t_aaaa)
        *this = AAAA(record).ip();
    else
        throw std::runtime_error("Ips can only be extracted from A and AAAA records");
}

Ip& Ip::operator=(const in6_addr* address)
{
    assign(*address);
    return *this;
}

void Ip::assign(const in_addr& address)
{
    memset(_address, 0, sizeof _address);
    memcpy(_address, &address, 4);
    _version = 4;
}

void Ip::assign(const in6_addr& address)
{
    if (isv4mapped(address))
    {
        in_addr v4;
        memcpy(&v4, address.s6_addr + 12, 4);
        assign(v4);
        return;
    }
    memcpy(_address, &address, 16);
    _version = 6;
}

int Ip::compare(const Ip& other) const
{
    if (this == &other) return 0;
    if (_version != other._version) return int(_version) - int(other._version);
    return size() == 0 ? 0 : memcmp(_address, other._address, size());
}

Ip& Ip::operator|=(const Ip& other)
{
    if (other._version != _version) return *this;
    for (size_t i = 0; i < size(); ++i)
        _address[i] |= other._address[i];
    return *this;
}

Ip& Ip::operator&=(const Ip& other)
{
    if (other._version != _version) return *this;
    for (size_t i = 0; i < size(); ++i)
        _address[i] &= other._address[i];
    return *this;
}

std::ostream& operator<<(std::ostream& stream, const Ip& ip)
{
    return stream << Printable(ip);
}

} // namespace DNS
