#pragma once

#include "dns/message/ip.h"

#include <utility>
#include <vector>

#include <arpa/nameser.h>

namespace DNS
{
class Handler;
} // namespace DNS

namespace Kestrava
{
namespace Dns
{

/// The caller's resolver settings for blocking lookups: name servers asked
/// after those of /etc/resolv.conf.
class Context
{
public:
    explicit Context(std::vector<DNS::Ip> nameservers = {}) : _nameservers(std::move(nameservers))
    {
    }

    const std::vector<DNS::Ip>& nameservers() const { return _nameservers; }

    /// Looks the name up, as it is and never through the search list, on a
    /// loop of its own (never the caller's) and returns when the handler
    /// has been told the answer, the failure or the time-out: true when an
    /// answer came. The system configuration is read for each lookup
    /// (throws ConfigException when it cannot be); an exception that the
    /// handler throws is thrown on from here, once the lookup is over.
    /// Several lookups at once: see Lookups.
    bool query(const char* name, ns_type type, DNS::Handler* handler) const;

private:
    std::vector<DNS::Ip> _nameservers;
};

} // namespace Dns
} // namespace Kestrava
