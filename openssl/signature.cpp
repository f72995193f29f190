#include "openssl/signature.h"

#include "openssl/digest.h"
#include "openssl/exception.h"
#include "openssl/functions.h"

#include <memory>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

using DigestContext = Digest::Context;

std::string sign(EVP_PKEY* key, const EVP_MD* digest, const char* data, size_t size)
{
    // The reason thrown must be this signature's, not one left by earlier
    // calls.
    OpenSSL::ERR_clear_error();
    DigestContext context(OpenSSL::EVP_MD_CTX_new());
    if (context == nullptr) throw Exception(OpenSSL::ERR_get_error());

    int capacity = OpenSSL::EVP_PKEY_size(key);
    std::string signature(capacity > 0 ? static_cast<size_t>(capacity) : 0, '\0');
    unsigned int length = 0;
    if (OpenSSL::EVP_DigestInit(context.get(), digest) != 1 ||
        OpenSSL::EVP_DigestUpdate(context.get(), data, size) != 1 ||
        OpenSSL::EVP_SignFinal(context.get(), reinterpret_cast<unsigned char*>(&signature[0]),
                               &length, key) != 1)
        throw Exception(OpenSSL::ERR_get_error());
    signature.resize(length);
    return signature;
}

} // namespace

Signature::Signature(EVP_PKEY* key, const char* data, size_t size, const char* digest)
    : _key(key), _digest(Digest::named(digest)), _signature(sign(key, _digest, data, size))
{
}

Signature::Signature(EVP_PKEY* key, const std::string& signature, const char* digest)
    : _key(key), _digest(Digest::named(digest)), _signature(signature)
{
}

bool Signature::verify(const char* data, size_t size) const
{
    DigestContext context(OpenSSL::EVP_MD_CTX_new());
    if (context == nullptr) return false;
    if (OpenSSL::EVP_DigestInit(context.get(), _digest) == 0) return false;
    if (OpenSSL::EVP_DigestUpdate(context.get(), data, size) == 0) return false;
    return OpenSSL::EVP_VerifyFinal(context.get(),
                                    reinterpret_cast<const unsigned char*>(_signature.data()),
                                    static_cast<unsigned int>(_signature.size()), _key.key()) == 1;
}

} // namespace OpenSSL
} // namespace Kestrava
