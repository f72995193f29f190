#include "dns/transport/inbound.h"

namespace DNS
{

Inbound::Subscriptions::const_iterator Inbound::find(Processor* processor, const Ip& server,
                                                     unsigned short id) const
{
    auto range = _subscriptions.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.second == processor && it->second.first == server) return it;
    return _subscriptions.end();
}

void Inbound::subscribe(Processor* processor, const Ip& server, unsigned short id)
{
    if (find(processor, server, id) == _subscriptions.end())
        _subscriptions.emplace(id, std::make_pair(server, processor));
}

void Inbound::unsubscribe(Processor* processor, const Ip& server, unsigned short id)
{
    auto it = find(processor, server, id);
    if (it == _subscriptions.end()) return;
    _subscriptions.erase(it);
    if (_subscriptions.empty()) reset();
}

size_t Inbound::subscribed(unsigned short id, const Ip& server, Processor** room, size_t size) const
{
    size_t count = 0;
    auto range = _subscriptions.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.first == server && count++ < size) room[count - 1] = it->second.second;
    return count;
}

bool Inbound::subscribed(Processor* processor, const Ip& server, unsigned short id) const
{
    return find(processor, server, id) != _subscriptions.end();
}

bool Inbound::take(Processor*& processor)
{
    if (_subscriptions.empty()) return false;
    auto it = _subscriptions.begin();
    processor = it->second.second;
    _subscriptions.erase(it);
    return true;
}

} // namespace DNS
