#pragma once

#include <openssl/evp.h>

namespace Kestrava
{
namespace OpenSSL
{

/// A public key read from text, released with the object.
class PublicKey
{
public:
    /**
     * Reads a whole PEM document, or the bare base64 of a public key as a
     * DKIM key record carries it (white space anywhere). Throws Exception
     * when neither form parses, std::invalid_argument for a null text.
     */
    explicit PublicKey(const char* text);

    PublicKey(const PublicKey&) = delete;
    PublicKey& operator=(const PublicKey&) = delete;

    virtual ~PublicKey();

    EVP_PKEY* key() const { return _key; }

private:
    EVP_PKEY* _key;
};

} // namespace OpenSSL
} // namespace Kestrava
