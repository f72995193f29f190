#include "mime/arc/arcpublickeys.h"

#include "mime/arc/arcsignatures.h"
#include "mime/dkim/keylookups.h"

namespace Kestrava
{
namespace Mime
{

ArcPublicKeys::ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures)
{
    std::set<Key> names;
    if (signatures.sets() > 0) detail::addKeyName(names, signatures.signature);
    for (const ArcSealSignature& seal : signatures.seals)
        detail::addKeyName(names, seal);
    detail::KeyLookups keys(context, names,
                            [](const detail::KeyLookups& keys) { return keys.failedForGood(); });
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
