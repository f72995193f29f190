#pragma once

#include "dns/hostname/hostname.h"

namespace Kestrava
{
namespace Dns
{

/**
 * The organizational domain of a host name: its public suffix with the one
 * label in front of it, by the embedded Public Suffix List. A name in ASCII
 * ("xn--") form and the same name in Unicode form give the same domain.
 */
class Organization : public Hostname
{
public:
    /// Throws std::runtime_error "null domain" or "No organization found"
    /// (the name is a public suffix itself, or has an empty label), or the
    /// failures of Hostname.
    explicit Organization(const char* domain);
};

} // namespace Dns
} // namespace Kestrava
