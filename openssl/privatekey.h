#pragma once

#include <openssl/evp.h>

namespace Kestrava
{
namespace OpenSSL
{

/// A private key read from unencrypted PEM text, released with the object.
class PrivateKey
{
public:
    /// Throws Exception when the text holds no private key,
    /// std::invalid_argument for a null text.
    explicit PrivateKey(const char* pem);

    PrivateKey(const PrivateKey&) = delete;
    PrivateKey& operator=(const PrivateKey&) = delete;

    virtual ~PrivateKey();

    EVP_PKEY* key() const { return _key; }

private:
    EVP_PKEY* _key;
};

} // namespace OpenSSL
} // namespace Kestrava
