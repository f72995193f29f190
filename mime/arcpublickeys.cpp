#include "mime/arcpublickeys.h"

#include "dns/blocking/context.h"
#include "dns/exception/exception.h"
#include "dns/exception/rcodeexception.h"
#include "dns/exception/timeoutexception.h"
#include "dns/hostname/hostname.h"
#include "mime/arcsignatures.h"

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
        Dns::Hostname host(key.domain.c_str(), false);
        std::string name = key.selector + "._domainkey." + host.ascii();
        Dns::DkimRecords records;
        bool answered = context.query(name.c_str(), ns_t_txt, &records);
        if (records.timedout()) throw Dns::TimeoutException();
        // A lookup that could not start (a name too long) will not later.
        if (!answered) throw Dns::Exception("DNS lookup not started", 7);
        if (records.rcode() > 0) throw Dns::RcodeException(records.rcode());
        if (records.records().empty()) throw Dns::Exception("No records of this type", 5);
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
