#include "mime/arc/arcstatus.h"

#include "mime/arc/arcpublickeys.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arctaglist.h"
#include "mime/dkim/status.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

const char* const ArcStatus::cvnone = Status::none;
const char* const ArcStatus::cvpass = Status::pass;
const char* const ArcStatus::cvfail = Status::fail;

ArcStatus::ArcStatus(const Object& message, const ArcSignatures& signatures,
                     const ArcPublicKeys& keys)
    : signatures(signatures)
{
    if (!signatures.error.empty())
    {
        reason = signatures.error;
        return;
    }
    if (signatures.sets() == 0)
    {
        result = cvnone;
        return;
    }
    bool missing = false;
    ArcMessageStatus newest;
    if (!judge(message, signatures.signature, newest, keys, "Top AMS invalid: ", "", missing))
        return;
    for (size_t n = signatures.sets(); n >= 1; --n)
    {
        ArcSealStatus seal(*signatures.order);
        std::string hop = "Invalid arc-seal hop[" + std::to_string(n) + "]: ";
        if (!judge(message, signatures.seals[n - 1], seal, keys, hop, hop, missing)) return;
    }
    if (missing) throw std::runtime_error("not enough public keys to determine validity");
    result = cvpass;
}

bool ArcStatus::judge(const Object& message, const DkimSignature& signature,
                      SignatureStatus& status, const ArcPublicKeys& keys, const std::string& prefix,
                      const std::string& keyPrefix, bool& missing)
{
    ArcPublicKeys::Key key(signature.domain(), signature.selector());
    auto fetched = keys.fetched.find(key);
    if (fetched != keys.fetched.end())
    {
        try
        {
            // ARC signs with rsa-sha256 alone (RFC 8617 4.1.2, 4.1.3).
            detail::arcDigest(signature.algorithm());
        }
        catch (const std::runtime_error& failure)
        {
            reason = prefix + failure.what();
            return false;
        }
        if (status.initialize(message, signature, fetched->second) == Status::pass) return true;
        reason = prefix + (status.reason ? status.reason : "Unknown, caught exception");
        return false;
    }
    auto failed = keys.failed.find(key);
    if (failed != keys.failed.end())
    {
        reason = keyPrefix + failed->second.text;
        temporary = failed->second.temporary;
        return false;
    }
    missing = true;
    return true;
}

} // namespace Mime
} // namespace Kestrava
