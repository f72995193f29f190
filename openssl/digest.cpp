#include "openssl/digest.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

#include <strings.h>

#include <utility>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

/// Null when the library lacks the digest; never released.
const EVP_MD* fetched(const char* name)
{
    return OpenSSL::EVP_MD_fetch(nullptr, name, nullptr);
}

} // namespace

void Digest::ContextRelease::operator()(EVP_MD_CTX* context) const
{
    OpenSSL::EVP_MD_CTX_free(context);
}

const EVP_MD* Digest::named(const char* name)
{
    if (name == nullptr) throw Exception("unknown digest");
    static const std::pair<const char*, const EVP_MD*> common[] = {
        {"sha256", fetched("sha256")}, {"sha1", fetched("sha1")}, {"sha512", fetched("sha512")}};
    for (const auto& digest : common)
        if (digest.second != nullptr && strcasecmp(name, digest.first) == 0) return digest.second;
    const EVP_MD* digest = OpenSSL::EVP_get_digestbyname(name);
    if (digest == nullptr) throw Exception("unknown digest");
    return digest;
}

std::string Digest::of(const char* name, const char* data, size_t size)
{
    const EVP_MD* digest = named(name);
    OpenSSL::ERR_clear_error();
    Context context(OpenSSL::EVP_MD_CTX_new());
    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (context == nullptr || OpenSSL::EVP_DigestInit_ex(context.get(), digest, nullptr) != 1 ||
        OpenSSL::EVP_DigestUpdate(context.get(), data, size) != 1 ||
        OpenSSL::EVP_DigestFinal_ex(context.get(), bytes, &length) != 1)
        throw Exception(OpenSSL::ERR_get_error());
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

} // namespace OpenSSL
} // namespace Kestrava
