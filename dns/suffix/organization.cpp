#include "dns/suffix/organization.h"

#include "dns/hostname/plainascii.h"
#include "dns/suffix/publicsuffixes.h"

#include <stdexcept>

namespace Kestrava
{
namespace Dns
{

namespace
{

const char* organizationOf(const char* domain)
{
    if (domain == nullptr) throw std::runtime_error("null domain");
    const char* organization = PublicSuffixes::instance().organization(domain);
    if (organization == nullptr) throw std::runtime_error("No organization found");
    return organization;
}

/// The domain's organization, found in the ASCII form, where IDNA has
/// folded the case of every letter, as a host name.
Hostname organizationHostname(const char* domain)
{
    if (domain == nullptr || isPlainAscii(domain)) return Hostname(organizationOf(domain), false);
    Hostname hostname(domain, false);
    return Hostname(organizationOf(hostname.ascii()), false);
}

} // namespace

Organization::Organization(const char* domain) : Hostname(organizationHostname(domain)) {}

} // namespace Dns
} // namespace Kestrava
