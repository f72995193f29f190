#pragma once

#include <openssl/evp.h>

namespace Kestrava
{
namespace OpenSSL
{

/// A reference of its own to an OpenSSL key, released with the object.
class Key
{
public:
    /**
     * Takes one more reference to `key`; the caller keeps its own. Throws
     * std::invalid_argument for a null key and Exception when OpenSSL
     * refuses the reference.
     */
    explicit Key(EVP_PKEY* key);

    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    virtual ~Key();

    EVP_PKEY* key() const { return _key; }

private:
    EVP_PKEY* _key;
};

} // namespace OpenSSL
} // namespace Kestrava
