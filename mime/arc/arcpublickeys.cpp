#include "mime/arc/arcpublickeys.h"

#include "dns/exception/exception.h"
#include "mime/arc/arcsignatures.h"
#include "mime/dkim/signaturekey.h"

namespace Kestrava
{
namespace Mime
{

ArcPublicKeys::ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures)
{
    if (signatures.sets() > 0)
        pending.emplace(signatures.signature.domain(), signatures.signature.selector());
    for (const ArcSealSignature& seal : signatures.seals)
        pending.emplace(seal.domain(), seal.selector());
    while (!pending.empty())
    {
        Key key = *pending.begin();
        pending.erase(pending.begin());
        if (key.domain.empty() || key.selector.empty()) continue;
        fetch(context, key);
    }
}

void ArcPublicKeys::fetch(Dns::Context& context, const Key& key)
{
    try
    {
        Dns::DkimRecords records;
        detail::lookUpKey(context, key.domain, key.selector, records);
        fetched.emplace(key, records);
    }
    catch (const Dns::Exception& failure)
    {
        if (failure.temporary())
            error(key.domain.c_str(), key.selector.c_str(), "Temporary exception fetching DNS",
                  true);
        else
            error(key.domain.c_str(), key.selector.c_str(), "Permanent error fetching DNS", false);
    }
    catch (...)
    {
        error(key.domain.c_str(), key.selector.c_str(), "Error fetching DNS records", false);
    }
}

void ArcPublicKeys::error(const char* domain, const char* selector, const char* text,
                          bool temporary)
{
    Key key(domain, selector);
    pending.erase(key);
    failed.emplace(key, Error{text, temporary});
}

} // namespace Mime
} // namespace Kestrava
