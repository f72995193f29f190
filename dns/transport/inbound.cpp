#include "dns/transport/inbound.h"

namespace DNS
{

void Inbound::subscribe(Processor* processor, const Ip& server, unsigned short id)
{
    _subscriptions.emplace(id, server, processor);
}

void Inbound::unsubscribe(Processor* processor, const Ip& server, unsigned short id)
{
    if (_subscriptions.erase(Subscription(id, server, processor)) == 0) return;
    if (_subscriptions.empty()) reset();
}

} // namespace DNS
