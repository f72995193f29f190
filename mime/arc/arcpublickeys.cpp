#include "mime/arc/arcpublickeys.h"

#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcstatus.h"
#include "mime/dkim/keylookups.h"

#include <vector>

namespace Kestrava
{
namespace Mime
{

ArcPublicKeys::ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures)
{
    if (!signatures.error.empty()) return;
    std::vector<const DkimSignature*> judged;
    if (signatures.sets() > 0) judged.push_back(&signatures.signature);
    for (const ArcSealSignature& seal : signatures.seals)
        judged.push_back(&seal);
    // A chain that fails whatever the keys say needs none of them.
    for (const DkimSignature* signature : judged)
        if (!ArcStatus::keylessFailure(signatures.message, signatures, *signature).empty()) return;
    std::set<Key> names;
    for (const DkimSignature* signature : judged)
        detail::addKeyName(names, *signature);
    std::set<const DkimSignature*> checked;
    auto failedForGood = [&](const detail::KeyLookups& keys)
    {
        if (keys.failedForGood()) return true;
        for (const DkimSignature* signature : judged)
        {
            auto records = keys.fetched.find(Key(signature->domain(), signature->selector()));
            if (records == keys.fetched.end() || !checked.insert(signature).second) continue;
            if (!ArcStatus::failure(signatures.message, signatures, *signature, records->second)
                     .empty())
                return true;
            passed.insert(signature);
        }
        return false;
    };
    detail::KeyLookups keys(context, names, failedForGood);
    fetched = std::move(keys.fetched);
    for (const auto& failure : keys.failed)
    {
        const Key& key = failure.first;
        switch (failure.second)
        {
        case detail::KeyLookups::Failure::temporary:
            error(key.domain.c_str(), key.selector.c_str(), "Temporary exception fetching DNS",
                  true);
            break;
        case detail::KeyLookups::Failure::permanent:
            error(key.domain.c_str(), key.selector.c_str(), "Permanent error fetching DNS", false);
            break;
        case detail::KeyLookups::Failure::other:
            error(key.domain.c_str(), key.selector.c_str(), "Error fetching DNS records", false);
            break;
        }
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
