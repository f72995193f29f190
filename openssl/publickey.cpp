#include "openssl/publickey.h"

#include "openssl/ownedbio.h"
#include "openssl/exception.h"
#include "openssl/functions.h"

#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

constexpr size_t pemLineLength = 64;

/// The PEM document around the base64 of a key, as PEM readers require it:
/// no white space inside, lines of 64 characters.
std::string pemDocument(const char* base64)
{
    std::string document = "-----BEGIN PUBLIC KEY-----\n";
    size_t count = 0;
    for (const char* character = base64; *character != '\0'; ++character)
    {
        if (std::isspace(static_cast<unsigned char>(*character))) continue;
        document += *character;
        if (++count % pemLineLength == 0) document += '\n';
    }
    if (count % pemLineLength != 0) document += '\n';
    document += "-----END PUBLIC KEY-----\n";
    return document;
}

EVP_PKEY* readPem(const char* text, size_t length)
{
    Bio bio(OpenSSL::BIO_new_mem_buf(const_cast<char*>(text), static_cast<int>(length)));
    return OpenSSL::PEM_read_bio_PUBKEY(bio.bio(), nullptr, nullptr, nullptr);
}

EVP_PKEY* readKey(const char* text)
{
    if (text == nullptr) throw std::invalid_argument("nullptr is not allowed");
    // The reason thrown must be this key's, not one left by earlier calls.
    OpenSSL::ERR_clear_error();
    if (EVP_PKEY* key = readPem(text, std::strlen(text))) return key;

    // The failed PEM attempt queued its errors (OpenSSL 3 queues several);
    // the reason thrown is that of the bare form.
    OpenSSL::ERR_clear_error();
    std::string document = pemDocument(text);
    if (EVP_PKEY* key = readPem(document.data(), document.size())) return key;
    throw Exception(OpenSSL::ERR_get_error());
}

} // namespace

PublicKey::PublicKey(const char* text) : _key(readKey(text)) {}

PublicKey::~PublicKey()
{
    OpenSSL::EVP_PKEY_free(_key);
}

} // namespace OpenSSL
} // namespace Kestrava
