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

    /**
     * Issues "NAME.pem" with its key "NAME.key" from the CA for `subject`
     * ("/CN=..."), with the extension lines `extensions` (openssl's config
     * syntax) and `days` of validity.
     */
    void issue(const std::string& name, const std::string& subject, const std::string& extensions,
               int days = 2) const;

    /// A self-signed "NAME.pem" with its key "NAME.key" for `subject`.
    void selfSign(const std::string& name, const std::string& subject) const;

    /// The TLSA association data "3 1 1" of a certificate file: the SHA-256
    /// of its public key, as raw bytes.
    std::string spkiSha256(const std::string& certificate) const;

private:
    Scratch _scratch;
};

/// Runs an openssl command line; throws with its output when it fails.
std::string openssl(const std::string& arguments);

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
