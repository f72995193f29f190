#include "openssl/asn1string.h"

#include "openssl/functions.h"

namespace Kestrava
{
namespace OpenSSL
{

Asn1String::Asn1String(Asn1String&& other) noexcept
    : _string(other._string), _copy(other._copy), _length(other._length),
      _converted(other._converted)
{
    other._copy = nullptr;
    other._length = 0;
}

Asn1String::~Asn1String()
{
    if (_copy != nullptr) OpenSSL::CRYPTO_free(_copy);
}

const char* Asn1String::text() const
{
    convert();
    return reinterpret_cast<const char*>(_copy);
}

size_t Asn1String::length() const
{
    convert();
    return _length;
}

void Asn1String::convert() const
{
    if (_converted || _string == nullptr) return;
    _converted = true;
    int length = OpenSSL::ASN1_STRING_to_UTF8(&_copy, _string);
    if (length < 0)
        _copy = nullptr;
    else
        _length = static_cast<size_t>(length);
}

} // namespace OpenSSL
} // namespace Kestrava
