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

/// The bytes of base64 text with white space anywhere, or false when the
/// text is anything else.
bool decodeBase64(const char* text, std::string& bytes)
{
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    unsigned int bits = 0;
    int count = 0;
    int padding = 0;
    for (const char* character = text; *character != '\0'; ++character)
    {
        if (std::isspace(static_cast<unsigned char>(*character))) continue;
        if (*character == '=')
        {
            ++padding;
            continue;
        }
        size_t value = alphabet.find(*character);
        if (value == std::string::npos || padding > 0) return false;
        bits = (bits << 6) | static_cast<unsigned int>(value);
        if (++count % 4 == 0) bytes += {char(bits >> 16), char(bits >> 8), char(bits)};
    }
    if ((count + padding) % 4 != 0 || padding > 2 || count % 4 == 1) return false;
    if (count % 4 == 2) bytes += char(bits >> 4);
    if (count % 4 == 3) bytes += {char(bits >> 10), char(bits >> 2)};
    return !bytes.empty();
}

/// The RSA key of bare base64 DER, as DKIM key records carry it, or null.
/// OpenSSL 3 sets a decoder chain up for every key it reads otherwise,
/// which costs more than the verification the key serves.
EVP_PKEY* readRsaBase64(const char* text)
{
    std::string der;
    if (!decodeBase64(text, der)) return nullptr;
    auto data = reinterpret_cast<const unsigned char*>(der.data());
    RSA* rsa = OpenSSL::d2i_RSA_PUBKEY(nullptr, &data, static_cast<long>(der.size()));
    if (rsa == nullptr) return nullptr;
    EVP_PKEY* key = nullptr;
    // Bytes after the key, or a key kept for PSS signatures (RFC 4055),
    // which must not read as a plain RSA key: the PEM way reads them.
    if (data == reinterpret_cast<const unsigned char*>(der.data() + der.size()) &&
        OpenSSL::RSA_test_flags(rsa, RSA_FLAG_TYPE_MASK) == RSA_FLAG_TYPE_RSA)
    {
        key = OpenSSL::EVP_PKEY_new();
        if (key != nullptr && OpenSSL::EVP_PKEY_set1_RSA(key, rsa) != 1)
        {
            OpenSSL::EVP_PKEY_free(key);
            key = nullptr;
        }
    }
    OpenSSL::RSA_free(rsa);
    return key;
}

EVP_PKEY* readKey(const char* text)
{
    if (text == nullptr) throw std::invalid_argument("nullptr is not allowed");
    if (EVP_PKEY* key = readRsaBase64(text)) return key;
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
