#include "dns/lookup/locallookup.h"

#include "dns/config/hosts.h"
#include "dns/core.h"
#include "dns/handler.h"
#include "dns/message/bits.h"
#include "dns/message/request.h"
#include "dns/message/reverse.h"

namespace DNS
{

LocalLookup::LocalLookup(Core* core, const Hosts& hosts, const char* name, int type,
                         Handler* handler)
    : Lookup(core, handler, ns_o_query, name, type, Bits()), _hosts(hosts)
{
}

LocalLookup::LocalLookup(Core* core, const Hosts& hosts, const Ip& ip, Handler* handler)
    : LocalLookup(core, hosts, Reverse(ip), ns_t_ptr, handler)
{
}

void LocalLookup::cancel()
{
    if (finished()) return;
    Handler* handler = detach();
    finish([&] { handler->onCancelled(this); });
}

bool LocalLookup::execute(double)
{
    Handler* handler = detach();
    finish([&] { _hosts.notify(Request(_query), handler, this); });
    return true;
}

} // namespace DNS
