#pragma once

#include <cstddef>
#include <iosfwd>

#include <netinet/in.h>

struct sockaddr;

namespace DNS
{

class A;
class AAAA;
class Record;

/// True for an IPv4-mapped IPv6 address (::ffff:a.b.c.d).
bool isv4mapped(const in6_addr& address);

/// An IPv4 or IPv6 address. An IPv4-mapped IPv6 address is always stored as
/// version 4, so that the same host compares equal whichever way it arrived.
class Ip
{
public:
    Ip() = default;
    explicit Ip(const char* text);
    explicit Ip(const sockaddr* address);
    explicit Ip(const in_addr* address);
    explicit Ip(const in_addr& address);
    explicit Ip(const in6_addr* address);
    explicit Ip(const in6_addr& address);
    explicit Ip(const A& record);
    explicit Ip(const AAAA& record);
    explicit Ip(const Record& record);
    Ip(const Ip&) = default;
    Ip& operator=(const Ip&) = default;
    Ip& operator=(const in6_addr* address);
    virtual ~Ip() = default;

    /// 0 (no address), 4 or 6.
    unsigned char version() const { return _version; }
    const unsigned char* data() const { return _address; }
    /// 4, 16, or 0 for version 0.
    size_t size() const { return _version == 4 ? 4 : _version == 6 ? 16 : 0; }

    operator const in_addr*() const { return reinterpret_cast<const in_addr*>(_address); }
    operator const in6_addr*() const { return reinterpret_cast<const in6_addr*>(_address); }
    operator const in_addr&() const { return *reinterpret_cast<const in_addr*>(_address); }
    operator const in6_addr&() const { return *reinterpret_cast<const in6_addr*>(_address); }

    /// Versions order first (4 before 6), then the address bytes.
    int compare(const Ip& other) const;
    bool operator<(const Ip& other) const { return compare(other) < 0; }
    bool operator==(const Ip& other) const { return compare(other) == 0; }
    bool operator!=(const Ip& other) const { return compare(other) != 0; }

    /// Byte-wise OR / AND with an address of the same version (a mask);
    /// an address of another version leaves this one unchanged.
    Ip& operator|=(const Ip& other);
    Ip& operator&=(const Ip& other);

private:
    void assign(const in_addr& address);
    void assign(const in6_addr& address);

    unsigned char _version = 0;
    alignas(4) unsigned char _address[16] = {};
};

std::ostream& operator<<(std::ostream& stream, const Ip& ip);

} // namespace DNS
