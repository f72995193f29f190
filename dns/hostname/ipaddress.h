#pragma once

#include "dns/message/ip.h"

namespace Kestrava
{
namespace Dns
{

/// An IPv4 or IPv6 address, as the resolver's DNS::Ip.
class IpAddress : public DNS::Ip
{
public:
    explicit IpAddress(const DNS::Ip& address) : DNS::Ip(address) {}

    /// A literal address; anything else throws GaiException (EAI_FAMILY for
    /// an address of another family).
    explicit IpAddress(const char* text);
};

} // namespace Dns
} // namespace Kestrava
