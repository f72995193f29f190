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
 * The DER bytes of a certificate, to be changed in place and written back
 * as PEM: certificates that the command line refuses to make. The
 * signature no longer fits, which reading a certificate does not check.
 */
class DerCertificate
{
public:
    /// The certificate of the PEM file `name` in `scratch`.
    DerCertificate(const Scratch& scratch, const std::string& name);

    /// Overwrites the text of the `index`-th UTCTime (0 the start of
    /// validity, 1 its end) with `text` of the same length.
    void setUtcTime(int index, const std::string& text);

    /// Overwrites the first occurrence of `from` with `to` of the same size.
    void replace(const std::string& from, const std::string& to);

    /// Writes the certificate as PEM file `name` of the scratch directory.
    void write(const std::string& name) const;

private:
    const Scratch& _scratch;
    std::string _der;
};

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
