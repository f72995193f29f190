#include "dns/blocking/lookups.h"

#include "dns/blocking/context.h"
#include "dns/context.h"
#include "dns/exception/configexception.h"
#include "dns/loop/libev.h"
#include "dns/message/absolute.h"
#include "dns/message/bits.h"

#include <stdexcept>
#include <string>

#include <ev.h>

namespace Kestrava
{
namespace Dns
{

Lookups::Lookups(const Context& context) : _adapter(new DNS::LibEv(_loop.loop(), true))
{
    try
    {
        _resolver.reset(new DNS::Context(_adapter.get(), true));
    }
    catch (const std::runtime_error& failure)
    {
        throw ConfigException(failure.what());
    }
    // Both versions: a server of either family may be the only one.
    for (const DNS::Ip& server : context.nameservers())
        _resolver->nameserver(server);
    _resolver->reporter(
        [this](std::exception_ptr exception)
        {
            if (!_thrown) _thrown = exception;
        });
}

// The resolver goes first: it drops its lookups before their handlers go.
Lookups::~Lookups()
{
    _resolver.reset();
}

const Blocking* Lookups::query(const char* name, ns_type type, DNS::Handler* handler)
{
    _lookups.emplace_back(_loop.loop(), handler);
    // Key names are whole: a record under a search domain (a wildcard
    // there) is no key of the domain.
    const std::string absolute = DNS::absolute(name);
    if (_resolver->query(absolute.c_str(), type, DNS::Bits(), &_lookups.back()))
        return &_lookups.back();
    _lookups.pop_back();
    return nullptr;
}

void Lookups::run(const std::function<bool()>& enough)
{
    // Every outcome breaks the loop, so that `enough` is asked after it.
    while (running() && !(enough && enough()))
        // A loop left without watchers would have nothing more to say.
        if (ev_run(_loop.loop(), 0) == 0 && running()) break;
    _resolver.reset();
    if (_thrown) std::rethrow_exception(_thrown);
}

bool Lookups::running() const
{
    for (const Blocking& lookup : _lookups)
        if (!lookup.over()) return true;
    return false;
}

} // namespace Dns
} // namespace Kestrava
