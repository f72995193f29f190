#include "tests/openssl/support/dercertificate.h"

#include "openssl/base64.h"

#include "tests/openssl/support/pki.h"

#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

DerCertificate::DerCertificate(const Scratch& scratch, const std::string& name) : _scratch(scratch)
{
    openssl("x509 -in " + scratch.path(name) + " -outform DER -out " + scratch.path(name + ".der"));
    _der = scratch.read(name + ".der");
}

void DerCertificate::setUtcTime(int index, const std::string& text)
{
    // Tag 23 (UTCTime) and the length of "YYMMDDHHMMSSZ".
    const std::string header("\x17\x0d", 2);
    size_t position = _der.find(header);
    for (int skipped = 0; skipped < index && position != std::string::npos; ++skipped)
        position = _der.find(header, position + header.size());
    if (position == std::string::npos || text.size() != 13)
        throw std::invalid_argument("no such UTCTime to replace");
    _der.replace(position + header.size(), text.size(), text);
}

void DerCertificate::replace(const std::string& from, const std::string& to)
{
    size_t position = _der.find(from);
    if (position == std::string::npos || from.size() != to.size())
        throw std::invalid_argument("nothing of that size to replace");
    _der.replace(position, to.size(), to);
}

void DerCertificate::write(const std::string& name) const
{
    _scratch.write(name, "-----BEGIN CERTIFICATE-----\n" +
                             Base64::encode(_der.data(), _der.size(), true) +
                             "-----END CERTIFICATE-----\n");
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
