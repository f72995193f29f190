// Results built from verification outcomes.
#include "dns/spfstatus.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimsignatures.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/dkim/keylookups.h"
#include "mime/dkim/signaturekey.h"

#include <strings.h>

#include <cstring>
#include <set>

namespace Kestrava
{
namespace Mime
{

void AuthenticationResults::add(const Dns::SpfStatus& status)
{
    AuthenticationResult result("spf", status.result ? status.result : Status::none);
    result.reason = status.explanation;
    if (status.mailfrom.find('@') != std::string::npos)
        result.properties.emplace_back("smtp", "mailfrom", status.mailfrom);
    else
        result.properties.emplace_back("smtp", "helo", status.helo);
    results.push_back(result);
}

void AuthenticationResults::add(const DkimStatus& status)
{
    const DkimSignature& signature = status.signature;
    AuthenticationResult result("dkim", status.result);
    // Still verified, but a reader should know (RFC 8301 3.1).
    if (strcasecmp(signature.algorithm().c_str(), "rsa-sha1") == 0)
        result.comment = "weak algorithm rsa-sha1";
    if (status.result != Status::pass && status.reason != nullptr) result.reason = status.reason;
    result.properties.emplace_back("header", "i", signature.auid());
    // One token (RFC 6008 2): the b= value as it reads without its folds.
    result.properties.emplace_back("header", "b", detail::withoutSpace(signature.signature()));
    results.push_back(result);
}

void AuthenticationResults::add(Dns::Context& context, const Object& message,
                                const DkimSignature& signature)
{
    // The verification reports every failure in the status; it never throws.
    DkimStatus status(signature);
    status.initialize(context, message, signature);
    add(status);
}

void AuthenticationResults::add(Dns::Context& context, const Object& message,
                                const DkimSignatures& signatures)
{
    std::set<KeyName> names;
    for (const DkimSignature& signature : signatures)
        DkimStatus(signature).addKeyName(names, message, signature);
    detail::KeyLookups keys(context, names);
    for (const DkimSignature& signature : signatures)
    {
        DkimStatus status(signature);
        status.initialize(message, signature, keys);
        add(status);
    }
}

void AuthenticationResults::add(const DmarcStatus& status)
{
    AuthenticationResult result("dmarc", status.result ? status.result : Status::none);
    result.properties.emplace_back("header", "from", status.domain ? status.domain : "");
    if (status.result != nullptr && std::strcmp(status.result, Status::pass) != 0 &&
        status.message != nullptr)
        result.reason = status.message;
    results.push_back(result);
}

} // namespace Mime
} // namespace Kestrava
