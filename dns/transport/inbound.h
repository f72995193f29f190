#pragma once

#include "dns/message/ip.h"

#include <cstddef>
#include <unordered_map>
#include <utility>

namespace DNS
{

class Processor;

/// The lookups waiting for answers on one socket, each under its query id
/// and the server asked. Found by id in constant time, however many wait.
class Inbound
{
public:
    Inbound() = default;
    Inbound(const Inbound&) = delete;
    Inbound& operator=(const Inbound&) = delete;
    virtual ~Inbound() = default;

    /// Subscribing twice under the same id and server counts once.
    void subscribe(Processor* processor, const Ip& server, unsigned short id);
    /// May reset the socket when it leaves it without subscribers; a TCP
    /// connection may then be destroyed before this returns.
    void unsubscribe(Processor* processor, const Ip& server, unsigned short id);
    size_t subscribers() const { return _subscriptions.size(); }

protected:
    /// Called when the last subscriber left.
    virtual void reset() = 0;

    /// The lookups waiting for this id from this server: as many as fit
    /// into `room`; the number there are.
    size_t subscribed(unsigned short id, const Ip& server, Processor** room, size_t size) const;
    /// Whether the lookup still waits for this id from this server.
    bool subscribed(Processor* processor, const Ip& server, unsigned short id) const;
    /// Takes any one subscription out, without a reset; false when none is left.
    bool take(Processor*& processor);

private:
    using Subscriptions = std::unordered_multimap<unsigned short, std::pair<Ip, Processor*>>;

    Subscriptions::const_iterator find(Processor* processor, const Ip& server,
                                       unsigned short id) const;

    Subscriptions _subscriptions;
};

} // namespace DNS
