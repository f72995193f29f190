#pragma once

#include <openssl/ssl.h>

#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/// The common name of an X.509 name, read through the binding; empty when
/// it has none.
std::string commonName(const X509_NAME* name);

/// The common name of the peer certificate of a connection; empty without
/// a peer certificate.
std::string peerCommonName(const SSL* ssl);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
