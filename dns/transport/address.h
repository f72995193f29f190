#pragma once

#include <sys/socket.h>

#include <cstdint>

namespace DNS
{

class Ip;

/// The socket address of an IPv4 or IPv6 peer; by default a name server's
/// port 53.
class Address
{
public:
    explicit Address(const Ip& ip, uint16_t port = 53);

    int family() const { return _address.ss_family; }
    socklen_t size() const { return _size; }
    operator const sockaddr*() const { return reinterpret_cast<const sockaddr*>(&_address); }

private:
    sockaddr_storage _address{};
    socklen_t _size;
};

} // namespace DNS
