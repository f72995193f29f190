#include "mime/dkim/keylookups.h"

#include "dns/blocking/lookups.h"
#include "dns/exception/exception.h"
#include "dns/hostname/hostname.h"
#include "mime/dkim/dkimsignature.h"

#include <utility>
#include <vector>

#include <arpa/nameser.h>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

namespace
{

KeyLookups::Failure classOf(const Dns::Exception& failure)
{
    return failure.temporary() ? KeyLookups::Failure::temporary : KeyLookups::Failure::permanent;
}

} // namespace

void addKeyName(std::set<KeyName>& names, const DkimSignature& signature)
{
    if (!signature.domain().empty() && !signature.selector().empty())
        names.emplace(signature.domain(), signature.selector());
}

KeyLookups::KeyLookups(const Dns::Context& context, const std::set<KeyName>& names,
                       const std::function<bool(const KeyLookups&)>& enough)
{
    if (names.empty()) return;
    try
    {
        Dns::Lookups lookups(context);
        std::vector<std::pair<KeyName, const Dns::Blocking*>> running;
        for (const KeyName& name : names)
        {
            try
            {
                Dns::Hostname host(name.domain.c_str(), false);
                std::string query = name.selector + "._domainkey." + host.ascii();
                const Dns::Blocking* lookup =
                    lookups.query(query.c_str(), ns_t_txt, &_running[name]);
                // A name that cannot start (too long) will not later.
                if (lookup == nullptr)
                {
                    _running.erase(name);
                    fail(name, Failure::permanent);
                }
                else
                    running.emplace_back(name, lookup);
            }
            catch (const Dns::Exception& failure)
            {
                fail(name, classOf(failure));
            }
            catch (...)
            {
                fail(name, Failure::other);
            }
        }
        auto settleOver = [&]
        {
            for (auto& lookup : running)
                if (lookup.second != nullptr && lookup.second->over())
                {
                    settle(lookup.first);
                    lookup.second = nullptr;
                }
        };
        lookups.run(
            [&]
            {
                settleOver();
                return enough && enough(*this);
            });
        settleOver();
    }
    catch (const Dns::Exception& failure)
    {
        // No lookup could start: the resolver files did not read.
        failRest(names, classOf(failure));
    }
    catch (...)
    {
        failRest(names, Failure::other);
    }
    // The resolver is gone: the answers it dropped are nobody's.
    _running.clear();
}

void KeyLookups::failRest(const std::set<KeyName>& names, Failure failure)
{
    for (const KeyName& name : names)
        if (fetched.count(name) == 0 && failed.count(name) == 0) fail(name, failure);
}

void KeyLookups::fail(const KeyName& name, Failure failure)
{
    failed.emplace(name, failure);
}

void KeyLookups::settle(const KeyName& name)
{
    auto answer = _running.find(name);
    const Dns::DkimRecords& records = answer->second;
    // Only a name that does not exist, or holds no key, says there is no
    // key; any other failure may mend (RFC 6376 6.1.2): a time-out, a server
    // that refused or failed, an answer still truncated.
    if (records.timedout())
        fail(name, Failure::temporary);
    else if (records.rcode() > 0)
        fail(name, records.rcode() == ns_r_nxdomain ? Failure::permanent : Failure::temporary);
    else if (records.records().empty())
        fail(name, Failure::permanent);
    else
        fetched.emplace(name, records);
    // The lookup is over: nothing calls this handler any more.
    _running.erase(answer);
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
