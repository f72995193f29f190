#include "openssl/privatekey.h"

#include "openssl/ownedbio.h"
#include "openssl/exception.h"
#include "openssl/functions.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

/// Refuses a passphrase: without a callback OpenSSL would prompt on the
/// terminal for an encrypted key.
int noPassphrase(char*, int, int, void*)
{
    return 0;
}

EVP_PKEY* readKey(const char* pem)
{
    if (pem == nullptr) throw std::invalid_argument("nullptr is not allowed");
    // The reason thrown must be this key's, not one left by earlier calls.
    OpenSSL::ERR_clear_error();
    Bio bio(OpenSSL::BIO_new_mem_buf(const_cast<char*>(pem), static_cast<int>(std::strlen(pem))));
    EVP_PKEY* key = OpenSSL::PEM_read_bio_PrivateKey(bio.bio(), nullptr, noPassphrase, nullptr);
    if (key == nullptr) throw Exception(OpenSSL::ERR_get_error());
    return key;
}

} // namespace

PrivateKey::PrivateKey(const char* pem) : _key(readKey(pem)) {}

PrivateKey::~PrivateKey()
{
    OpenSSL::EVP_PKEY_free(_key);
}

} // namespace OpenSSL
} // namespace Kestrava
