#include "mime/dkim/signaturekey.h"

#include "filter/base64decode.h"
#include "filter/string.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"

#include <cctype>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

const char* const keyTooShort = "Key too short: RSA keys must have at least 1024 bits";

bool longEnough(const OpenSSL::PublicKey& key)
{
    // EVP_PKEY_size counts the modulus in bytes.
    return OpenSSL::EVP_PKEY_size(key.key()) >= 128;
}

std::string signatureBytes(const std::string& value)
{
    std::string clean;
    for (char c : value)
        if (!isspace(static_cast<unsigned char>(c))) clean += c;
    std::string bytes;
    Filter::String sink(&bytes);
    {
        Filter::Base64Decode decoder(false, &sink);
        decoder.process(clean.data(), clean.size(), false);
    }
    return bytes;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
