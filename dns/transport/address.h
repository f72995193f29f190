#pragma once

#include <sys/socket.h>

namespace DNS
{

class Ip;

/// The socket address of a name server: its address and port 53.
class Address
{
public:
    explicit Address(const Ip& ip);

    int family() const { return _address.ss_family; }
    socklen_t size() const { return _size; }
    operator const sockaddr*() const { return reinterpret_cast<const sockaddr*>(&_address); }

private:
    sockaddr_storage _address{};
    socklen_t _size;
};

} // namespace DNS
