#pragma once

#include <string>

#include <openssl/evp.h>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// Why DKIM and ARC trust no rsa-* signature under the key, or null: it
/// must be an RSA key (OpenSSL would check an ECDSA signature with an EC
/// key over the same digest) of at least 1024 bits (RFC 8301 3.2). The
/// signers refuse such keys too: what no verifier trusts is no signature.
const char* keyRefusal(const EVP_PKEY* key);

/// A tag value without its white space: b= and bh= are base64 folded
/// anywhere (RFC 6376 3.5), a key record's lists may hold blanks.
std::string withoutSpace(const std::string& value);

/// The signature bytes of a b= value: base64 with folding white space.
std::string signatureBytes(const std::string& value);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
