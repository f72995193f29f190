#include "browse/ipaddresses.h"

#include <algorithm>

namespace Kestrava
{
namespace Browse
{

namespace
{
bool sameNetwork(const DNS::Ip& first, const DNS::Ip& second, unsigned prefix)
{
    prefix = std::min<unsigned>(prefix, static_cast<unsigned>(first.size()) * 8);
    const unsigned char* a = first.data();
    const unsigned char* b = second.data();
    for (unsigned bit = 0; bit < prefix; bit += 8)
    {
        unsigned bits = std::min(8u, prefix - bit);
        unsigned char mask = static_cast<unsigned char>(0xff << (8 - bits));
        if ((a[bit / 8] & mask) != (b[bit / 8] & mask)) return false;
    }
    return true;
}
} // namespace

void IpAddresses::add(const DNS::Ip& ip, unsigned prefix, uint16_t port)
{
    _ranges.push_back(Range{ip, prefix, port});
}

bool IpAddresses::contains(const DNS::Ip& ip, uint16_t port) const
{
    return std::any_of(_ranges.begin(), _ranges.end(),
                       [&](const Range& range)
                       {
                           return range.ip.version() == ip.version() &&
                                  sameNetwork(range.ip, ip, range.prefix) &&
                                  (range.port == 0 || range.port == port);
                       });
}

} // namespace Browse
} // namespace Kestrava
