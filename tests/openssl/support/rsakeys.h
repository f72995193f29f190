#pragma once

#include "tests/openssl/support/scratch.h"

#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/// An RSA key pair made by the openssl command line: "rsa.key" (PKCS#8
/// PEM) and "rsa.pub" (PEM SubjectPublicKeyInfo).
class RsaKeys
{
public:
    RsaKeys();

    std::string path(const std::string& name) const { return _scratch.path(name); }
    const Scratch& scratch() const { return _scratch; }

    std::string privatePem() const { return _scratch.read("rsa.key"); }
    std::string publicPem() const { return _scratch.read("rsa.pub"); }

    /// The base64 of the public key alone, as a DKIM key record holds it.
    std::string publicBase64() const;

private:
    Scratch _scratch;
};

/// The base64 of a PEM document without its armour lines.
std::string bareBase64(const std::string& pem);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
