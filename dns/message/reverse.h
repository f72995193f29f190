#pragma once

#include <cstddef>

namespace DNS
{

class Ip;

/// The name under which the PTR record of an address is found
/// (d.c.b.a.in-addr.arpa, or 32 nibbles under ip6.arpa), in a fixed buffer.
class Reverse
{
public:
    explicit Reverse(const Ip& ip);
    /// Keeps a name that must already be in reverse notation.
    explicit Reverse(const char* name);

    operator const char*() const { return _buffer; }
    size_t size() const;
    /// 4 for in-addr.arpa, 6 for ip6.arpa names, 0 otherwise.
    int version() const;
    /// The address the name stands for.
    Ip ip() const;

private:
    char _buffer[128];
};

} // namespace DNS
