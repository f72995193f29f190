#include "dns/blocking/context.h"

#include "dns/blocking/blocking.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "dns/message/bits.h"
#include "event/threadloop.h"

#include <exception>

#include <ev.h>

namespace Kestrava
{
namespace Dns
{

bool Context::query(const char* name, ns_type type, DNS::Handler* handler) const
{
    Event::ThreadLoop loop;
    DNS::LibEv adapter(loop.loop(), true);
    std::exception_ptr thrown;
    Blocking blocking(loop.loop(), handler);
    {
        DNS::Context resolver(&adapter, true);
        // Both versions: a server of either family may be the only one.
        for (const DNS::Ip& server : _nameservers)
            resolver.nameserver(server);
        resolver.reporter([&thrown](std::exception_ptr exception) { thrown = exception; });
        // A lookup that cannot start (a name too long) leaves nothing to run.
        if (resolver.query(name, type, DNS::Bits(), &blocking)) ev_run(loop.loop(), 0);
    }
    if (thrown) std::rethrow_exception(thrown);
    return blocking.answered();
}

} // namespace Dns
} // namespace Kestrava
