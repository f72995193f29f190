#include "mime/dkim/algorithm.h"

#include "openssl/digest.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

Algorithm::Algorithm(const char* name)
{
    if (name == nullptr || *name == '\0') throw std::runtime_error("digest algorithm not set");
    if (strcasecmp(name, "rsa-sha1") == 0)
        value = rsaSha1;
    else if (strcasecmp(name, "rsa-sha256") == 0)
        value = rsaSha256;
    else if (strcasecmp(name, "rsa-sha512") == 0)
        value = rsaSha512;
    else
        throw std::runtime_error("unsupported digest algorithm");
}

const char* Algorithm::digest() const
{
    switch (value)
    {
    case rsaSha1:
        return "sha1";
    case rsaSha256:
        return "sha256";
    case rsaSha512:
        return "sha512";
    default:
        throw std::runtime_error("invalid body hash canonicalization algorithm");
    }
}

std::string Algorithm::hash(const char* data, size_t size) const
{
    return OpenSSL::Digest::of(digest(), data, size);
}

} // namespace Mime
} // namespace Kestrava
