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
    // A failure for good outweighs one that may mend, so the verdict does
    // not hang on which keys had answered when the waiting stopped.
    bool missing = false;
    for (const DkimSignature* signature : judgingOrder(signatures))
        if (judge(message, *signature, keys, missing)) break;
    if (!reason.empty()) return;
    if (missing) throw std::runtime_error("not enough public keys to determine validity");
    result = cvpass;
}

std::vector<const DkimSignature*> ArcStatus::judgingOrder(const ArcSignatures& signatures)
{
    std::vector<const DkimSignature*> order;
    for (const ArcSealSignature& seal : signatures.seals)
        order.push_back(&seal);
    // The seals in instance order, the oldest first, and the newest message
    // signature just before the newest seal: the failure named is the first
    // in this order (one for good before one that may mend). RFC 8617 5.2
    // checks the other way round, that message signature first, then the
    // seals from the newest down; any failure fails the chain in both, so
    // only the failure named can differ.
    if (!order.empty()) order.insert(order.end() - 1, &signatures.signature);
    return order;
}

std::string ArcStatus::keylessFailure(const Object& message, const ArcSignatures& signatures,
                                      const DkimSignature& signature)
{
    try
    {
        // ARC signs with rsa-sha256 alone (RFC 8617 4.1.2, 4.1.3).
        detail::arcDigest(signature.algorithm());
    }
    catch (const std::runtime_error& failure)
    {
        return failure.what();
    }
    if (&signature != &signatures.signature) return "";
    const char* refusal = ArcMessageStatus().refusedWithoutKey(message, signature);
    return refusal ? refusal : "";
}

std::string ArcStatus::failure(const Object& message, const ArcSignatures& signatures,
                               const DkimSignature& signature, const Dns::DkimRecords& records)
{
    std::string keyless = keylessFailure(message, signatures, signature);
    if (!keyless.empty()) return keyless;
    ArcMessageStatus newest;
    ArcSealStatus seal(*signatures.order);
    SignatureStatus& status = &signature == &signatures.signature
                                  ? static_cast<SignatureStatus&>(newest)
                                  : static_cast<SignatureStatus&>(seal);
    if (status.initialize(message, signature, records) == Status::pass) return "";
    return status.reason ? status.reason : "Unknown, caught exception";
}

bool ArcStatus::judge(const Object& message, const DkimSignature& signature,
                      const ArcPublicKeys& keys, bool& missing)
{
    std::string prefix = "Top AMS invalid: ";
    std::string keyPrefix;
    if (&signature != &signatures.signature)
    {
        auto hop = static_cast<const ArcSealSignature*>(&signature) - signatures.seals.data() + 1;
        prefix = keyPrefix = "Invalid arc-seal hop[" + std::to_string(hop) + "]: ";
    }
    std::string keyless = keylessFailure(message, signatures, signature);
    if (!keyless.empty()) return fail(prefix + keyless, false);
    ArcPublicKeys::Key key(signature.domain(), signature.selector());
    auto fetched = keys.fetched.find(key);
    if (fetched != keys.fetched.end())
    {
        if (keys.passed.count(&signature) > 0) return false;
        std::string why = failure(message, signatures, signature, fetched->second);
        return !why.empty() && fail(prefix + why, false);
    }
    auto failed = keys.failed.find(key);
    if (failed != keys.failed.end())
        return fail(keyPrefix + failed->second.text, failed->second.temporary);
    missing = true;
    return false;
}

bool ArcStatus::fail(const std::string& why, bool mendable)
{
    if (reason.empty() || (temporary && !mendable))
    {
        reason = why;
        temporary = mendable;
    }
    return !mendable;
}

} // namespace Mime
} // namespace Kestrava
