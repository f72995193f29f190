#include "tests/mime/support/verdict.h"

#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "openssl/publickey.h"

namespace Kestrava
{
namespace Test
{

Mime::DkimSignature firstSignature(const Mime::Object& message)
{
    const Mime::Value& value = message.header.get("dkim-signature");
    return Mime::DkimSignature(value.data, value.size, true, false);
}

std::string verdict(const Mime::Status& status)
{
    std::string word = status.result;
    return status.reason ? word + ": " + status.reason : word;
}

std::string verifyWith(const Mime::Object& message, const Mime::DkimSignature& signature,
                       const std::string& publicBase64)
{
    OpenSSL::PublicKey key(publicBase64.c_str());
    Mime::DkimStatus status(signature);
    status.initialize(message, signature, key, false);
    return verdict(status);
}

} // namespace Test
} // namespace Kestrava
