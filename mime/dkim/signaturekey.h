#pragma once

#include <string>

namespace Kestrava
{
namespace Dns
{
class Context;
class DkimRecords;
} // namespace Dns
namespace OpenSSL
{
class PublicKey;
}
namespace Mime
{
namespace detail
{

/// The reason given for a key that longEnough refuses.
extern const char* const keyTooShort;

/// Whether the key has at least 1024 bits, below which DKIM and ARC trust
/// no signature (RFC 8301 3.2).
bool longEnough(const OpenSSL::PublicKey& key);

/// The signature bytes of a b= value: base64 with folding white space.
std::string signatureBytes(const std::string& value);

/// Looks up the key records of the selector of the domain, the domain in
/// its ASCII form, blocking. Throws Dns::Exception, temporary for a
/// time-out or a server failure, or what Dns::Hostname throws for the
/// domain.
void lookUpKey(const Dns::Context& context, const std::string& domain, const std::string& selector,
               Dns::DkimRecords& records);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
