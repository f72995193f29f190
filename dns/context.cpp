#include "dns/context.h"

#include "dns/lookup/locallookup.h"
#include "dns/lookup/remotelookup.h"
#include "dns/lookup/searchlookup.h"
#include "dns/message/absolute.h"
#include "dns/message/idgenerator.h"
#include "dns/message/reverse.h"
#include "dns/now.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <arpa/nameser.h>

namespace DNS
{

Context::~Context()
{
    // None of these will be called back any more.
    auto searches = std::move(_searches);
    for (SearchLookup* search : searches)
        delete search;
    auto callbacks = std::move(_callbacks);
    for (Callbacks* unreported : callbacks)
        delete unreported;
}

bool Context::searchable(const char* name, const DNS::Handler* handler) const
{
    size_t length = strlen(name);
    if (length == 0 || name[length - 1] == '.') return false;
    if (std::count(name, name + length, '.') >= _ndots) return false;
    // Candidates of a search are never searched again.
    return handler == nullptr || dynamic_cast<const SearchLookup*>(handler) == nullptr;
}

std::vector<std::string> Context::candidates(const char* name) const
{
    std::vector<std::string> names;
    if (searchable(name, nullptr))
        for (const std::string& path : _searchpaths)
        {
            // An empty path stands for the name alone, which ends the list.
            if (path.empty()) break;
            names.push_back(absolute(std::string(name) + "." + path));
        }
    names.push_back(absolute(name));
    return names;
}

Operation* Context::query(const char* name, int type, const Bits& bits, DNS::Handler* handler)
{
    // A lookup reports to its handler, and counts as finished once it has
    // none: without one it would hold its place for ever.
    if (!handler) return nullptr;
    try
    {
        // The hosts file comes before any search path, and any name server.
        if (_hosts.answers(name, type))
            return add(new LocalLookup(this, _hosts, name, type, handler));
        if (!searchable(name, handler))
            return add(new RemoteLookup(this, name, type, bits, handler));
    }
    catch (const std::runtime_error&)
    {
        return nullptr;
    }
    auto* search = new SearchLookup(this, type, bits, name, handler);
    if (!search->started())
    {
        delete search;
        return nullptr;
    }
    _searches.insert(search);
    return search;
}

Operation* Context::query(const Ip& ip, const Bits& bits, DNS::Handler* handler)
{
    if (!handler) return nullptr;
    // A reverse name is whole: never one for the search list.
    if (!_hosts.lookup(ip))
        return query(absolute(std::string(Reverse(ip))).c_str(), ns_t_ptr, bits, handler);
    return add(new LocalLookup(this, _hosts, ip, handler));
}

Operation* Context::own(Callbacks* callbacks, Operation* operation)
{
    // Never called when no lookup runs: freed here instead.
    if (!operation) delete callbacks;
    return operation;
}

Operation* Context::query(const char* name, int type, const Bits& bits, Callbacks::Success success,
                          Callbacks::Failure failure)
{
    auto* callbacks = new Callbacks(std::move(success), std::move(failure), _callbacks);
    return own(callbacks, query(name, type, bits, callbacks));
}

Operation* Context::query(const Ip& ip, const Bits& bits, Callbacks::Success success,
                          Callbacks::Failure failure)
{
    auto* callbacks = new Callbacks(std::move(success), std::move(failure), _callbacks);
    return own(callbacks, query(ip, bits, callbacks));
}

void Context::capacity(size_t lookups)
{
    _capacity = std::clamp<size_t>(lookups, 1, IdGenerator::capacity());
    reschedule(Now());
}

void Context::buffersize(int bytes)
{
    for (Sockets* sockets : {&_ipv4, &_ipv6})
        sockets->buffersize(static_cast<size_t>(bytes));
}

} // namespace DNS
