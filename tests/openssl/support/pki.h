#pragma once

#include "tests/openssl/support/scratch.h"

#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/**
 * Keys and certificates made by the openssl command line for one test: a
 * CA, a leaf certificate "leaf.test" (alternative names leaf.test and
 * www.leaf.test, key usage digitalSignature and keyEncipherment) and a
 * second one "second.test", both issued by the CA, with their keys.
 */
class Pki
{
public:
    Pki();

    /// Full paths of the files; "leaf-chain.pem" holds the leaf then the CA.
    std::string path(const std::string& name) const { return _scratch.path(name); }

    const Scratch& scratch() const { return _scratch; }

    /// The TLSA association data "3 1 1" of a certificate file: the SHA-256
    /// of its public key, as raw bytes.
    std::string spkiSha256(const std::string& certificate) const;

private:
    void issue(const std::string& name);

    Scratch _scratch;
};

/// Runs an openssl command line; throws with its output when it fails.
std::string openssl(const std::string& arguments);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
