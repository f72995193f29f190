#include "mime/dkim/bodyhash.h"

#include "mime/dkim/algorithm.h"
#include "mime/dkim/canonicalizedbody.h"
#include "openssl/base64.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

BodyHash::BodyHash(const CanonicalizedBody& body, const Algorithm& algorithm, size_t length)
{
    const std::string& canonical = body.text();
    if (length == whole) length = canonical.size();
    if (length > canonical.size()) throw std::length_error("body length past the canonical body");
    std::string digest = algorithm.hash(canonical.data(), length);
    text = OpenSSL::Base64::encode(digest.data(), digest.size(), false);
}

} // namespace Mime
} // namespace Kestrava
