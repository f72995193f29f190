#pragma once

#include "dns/callbacks.h"
#include "dns/core.h"
#include "dns/message/bits.h"
#include "dns/operation.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace DNS
{

class Handler;
class Ip;
class SearchLookup;

/// The asynchronous stub resolver that users hold. A lookup started with
/// query() reports later, on the loop's thread, to its handler (see Handler
/// for the rules); the operation returned may be cancelled until then.
class Context : public Core
{
public:
    using Core::Core;
    /// Running lookups are dropped without a call to their handlers.
    ~Context() override;

    /// Looks the name up for the record type: from the hosts table for an A
    /// or AAAA record it lists (or any record of a localhost name), else
    /// from the name servers, through the search paths when the name has
    /// fewer than ndots dots. Null, with no callback, when no query can be
    /// built (a bad type, a name too long) or no handler is given.
    Operation* query(const char* name, int type, const Bits& bits, DNS::Handler* handler);
    /// The PTR lookup of an address.
    Operation* query(const Ip& ip, const Bits& bits, DNS::Handler* handler);
    /// The same with two function objects (see Callbacks).
    Operation* query(const char* name, int type, const Bits& bits, Callbacks::Success success,
                     Callbacks::Failure failure);
    Operation* query(const Ip& ip, const Bits& bits, Callbacks::Success success,
                     Callbacks::Failure failure);

    /// How many lookups may be in flight; clamped to 1 .. 32768.
    void capacity(size_t lookups);
    /// The socket buffer size of every UDP socket.
    void buffersize(int bytes);

    /// Whether a lookup of the name for this handler goes through the search paths.
    bool searchable(const char* name, const DNS::Handler* handler) const;
    /// The names a lookup of the name asks in turn while each is settled to
    /// have no records (see absent()): when it goes through the search
    /// paths, the name with each path, then alone; else the name alone.
    /// Each is absolute, never searched again.
    std::vector<std::string> candidates(const char* name) const;

private:
    friend class SearchLookup;

    Operation* own(Callbacks* callbacks, Operation* operation);
    void release(SearchLookup* search) { _searches.erase(search); }

    // Searches own themselves; listed to be deleted if the Context goes first.
    std::set<SearchLookup*> _searches;
    // Function-object handlers not yet called; freed with the Context.
    std::set<Callbacks*> _callbacks;
};

} // namespace DNS
