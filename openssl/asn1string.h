#pragma once

#include <openssl/asn1.h>

#include <cstddef>

namespace Kestrava
{
namespace OpenSSL
{

/**
 * The text of an ASN.1 string that belongs to someone else (a certificate),
 * converted to UTF-8 on first use and kept until the object goes.
 */
class Asn1String
{
public:
    /// `string` may be null; it must outlive the object.
    explicit Asn1String(const ASN1_STRING* string) : _string(string) {}

    Asn1String(Asn1String&& other) noexcept;
    Asn1String(const Asn1String&) = delete;
    Asn1String& operator=(const Asn1String&) = delete;
    Asn1String& operator=(Asn1String&&) = delete;

    virtual ~Asn1String();

    /// The UTF-8 text, NUL-terminated; null when there is no string or it
    /// cannot be converted. It may hold NUL bytes of its own: see length().
    const char* text() const;

    /// The number of bytes of text(); 0 without a text.
    size_t length() const;

private:
    void convert() const;

    const ASN1_STRING* _string;
    // Made on first use, by const accessors.
    mutable unsigned char* _copy = nullptr;
    mutable size_t _length = 0;
    mutable bool _converted = false;
};

} // namespace OpenSSL
} // namespace Kestrava
