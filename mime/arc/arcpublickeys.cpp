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
    std::vector<const DkimSignature*> order = ArcStatus::judgingOrder(signatures);
    // A chain that fails whatever the keys say needs none of them.
    for (const DkimSignature* signature : order)
        if (!ArcStatus::keylessFailure(signatures.message, signatures, *signature).empty()) return;
    std::set<Key> names;
    for (const DkimSignature* signature : order)
        detail::addKeyName(names, *signature);
    // The waiting stops once the verdict is known, whatever the keys still
    // awaited would say: at the first signature, in the judging order, that
    // fails for good, when every one before it is decided.
    auto decided = [&](const detail::KeyLookups& keys)
    {
        for (const DkimSignature* signature : order)
        {
            Key key(signature->domain(), signature->selector());
            auto records = keys.fetched.find(key);
            if (records != keys.fetched.end())
            {
                if (passed.count(signature) > 0) continue;
                if (!ArcStatus::failure(signatures.message, signatures, *signature, records->second)
                         .empty())
                    return true;
                passed.insert(signature);
                continue;
            }
            auto failure = keys.failed.find(key);
            if (failure == keys.failed.end()) return false;
            if (failure->second != detail::KeyLookups::Failure::temporary) return true;
        }
        return false;
    };
    detail::KeyLookups keys(context, names, decided);
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
