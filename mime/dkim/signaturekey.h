#pragma once

#include <string>

namespace Kestrava
{
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

} // namespace detail
} // namespace Mime
} // namespace Kestrava
