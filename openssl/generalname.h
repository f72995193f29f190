#pragma once

#include "openssl/asn1string.h"

#include <openssl/x509v3.h>

namespace Kestrava
{
namespace OpenSSL
{

/// One subject alternative name of a certificate, owned and freed with the
/// object.
class GeneralName
{
public:
    /// Takes over `name`, which must not be null.
    explicit GeneralName(GENERAL_NAME* name);

    GeneralName(GeneralName&& other) noexcept;
    GeneralName(const GeneralName&) = delete;
    GeneralName& operator=(const GeneralName&) = delete;
    GeneralName& operator=(GeneralName&&) = delete;

    virtual ~GeneralName();

    /// OpenSSL's kind of name: GEN_DNS, GEN_IPADD, GEN_EMAIL, ...
    int type() const { return _name->type; }

    /// The value of a DNS name, e-mail address or URI as text; no text for
    /// an IP address (an octet string) nor for the other kinds.
    const Asn1String& value() const { return _value; }

private:
    GENERAL_NAME* _name;
    Asn1String _value;
};

} // namespace OpenSSL
} // namespace Kestrava
