#include "mime/dkim/signaturekey.h"

#include "filter/base64decode.h"
#include "filter/string.h"
#include "openssl/functions.h"

#include <cctype>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

const char* keyRefusal(const EVP_PKEY* key)
{
    if (OpenSSL::EVP_PKEY_base_id(key) != EVP_PKEY_RSA) return "Only RSA keys are supported";
    // Bits, not bytes: a 1017-bit modulus fills 128 bytes too.
    if (OpenSSL::EVP_PKEY_bits(key) < 1024)
        return "Key too short: RSA keys must have at least 1024 bits";
    return nullptr;
}

std::string withoutSpace(const std::string& value)
{
    std::string result;
    for (char c : value)
        if (!isspace(static_cast<unsigned char>(c))) result += c;
    return result;
}

std::string signatureBytes(const std::string& value)
{
    std::string clean = withoutSpace(value);
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
