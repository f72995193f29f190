#pragma once

#include "dns/message/ip.h"

#include <cstdint>
#include <vector>

namespace Kestrava
{
namespace Browse
{

/// A list of address ranges, each an address, a prefix length in bits and
/// a port (0: any port).
class IpAddresses
{
public:
    struct Range
    {
        DNS::Ip ip;
        unsigned prefix;
        uint16_t port;
    };

    virtual ~IpAddresses() = default;

    void add(const DNS::Ip& ip, unsigned prefix, uint16_t port = 0);
    /// Whether a range of the same family holds the address under its
    /// prefix and takes any port or this one.
    bool contains(const DNS::Ip& ip, uint16_t port) const;

private:
    std::vector<Range> _ranges;
};

} // namespace Browse
} // namespace Kestrava
