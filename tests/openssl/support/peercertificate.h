#pragma once

#include "openssl/certificate.h"

#include <memory>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/**
 * The peer certificate that a client gets from `openssl s_server` serving
 * the PEM files `certificate` and `key`, the client trusting the CA file
 * `authority` (nothing but the system's defaults when empty). Throws when
 * the handshake fails.
 */
std::unique_ptr<Certificate> peerCertificate(const std::string& certificate, const std::string& key,
                                             const std::string& authority);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
