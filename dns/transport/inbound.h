#pragma once

#include "dns/message/ip.h"

#include <cstddef>
#include <set>
#include <tuple>

namespace DNS
{

class Processor;

/// The lookups waiting for answers on one socket, each under its query id
/// and the server asked.
class Inbound
{
public:
    Inbound() = default;
    Inbound(const Inbound&) = delete;
    Inbound& operator=(const Inbound&) = delete;
    virtual ~Inbound() = default;

    void subscribe(Processor* processor, const Ip& server, unsigned short id);
    /// May reset the socket when it leaves it without subscribers; a TCP
    /// connection may then be destroyed before this returns.
    void unsubscribe(Processor* processor, const Ip& server, unsigned short id);
    size_t subscribers() const { return _subscriptions.size(); }

protected:
    using Subscription = std::tuple<unsigned short, Ip, Processor*>;

    /// Called when the last subscriber left.
    virtual void reset() = 0;

    std::set<Subscription> _subscriptions;
};

} // namespace DNS
