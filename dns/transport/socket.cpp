#include "dns/transport/socket.h"

#include "dns/message/response.h"
#include "dns/transport/processor.h"
#include "dns/watcher.h"

#include <stdexcept>

namespace DNS
{

namespace
{

const size_t spareBuffers = 16;

} // namespace

void Socket::received(const Ip& sender, std::vector<unsigned char> message)
{
    _received.emplace_back(sender, std::move(message));
}

void Socket::received(const Ip& sender, const unsigned char* data, size_t size)
{
    std::vector<unsigned char> message;
    if (!_spare.empty())
    {
        message = std::move(_spare.back());
        _spare.pop_back();
    }
    message.assign(data, data + size);
    received(sender, std::move(message));
}

size_t Socket::process(size_t max)
{
    Watcher watcher(this);
    size_t finished = 0;
    while (finished < max && watcher.valid() && !_received.empty())
    {
        auto message = std::move(_received.front());
        _received.pop_front();
        try
        {
            Response response(message.second.data(), message.second.size());
            onReceivedId(response.id());
            finished += offer(message.first, response, watcher);
        }
        catch (const std::runtime_error&)
        {
            // A message that does not parse, or fails while handled, is dropped.
        }
        // Enough spares for a batch of reads; more would only sit idle.
        if (watcher.valid() && _spare.size() < spareBuffers)
            _spare.push_back(std::move(message.second));
    }
    return finished;
}

size_t Socket::offer(const Ip& sender, const Response& response, const Watcher& watcher)
{
    unsigned short id = response.id();
    // Lookups that share an id and a server (the id space is small) each get
    // the chance to recognise their question; a copy, as callees unsubscribe.
    // Mostly there is one, and the copy needs no allocation.
    Processor* few[4];
    std::vector<Processor*> many;
    size_t count = subscribed(id, sender, few, 4);
    Processor** candidates = few;
    if (count > 4)
    {
        many.resize(count);
        subscribed(id, sender, many.data(), count);
        candidates = many.data();
    }
    for (size_t i = 0; i < count; ++i)
    {
        Processor* candidate = candidates[i];
        if (!watcher.valid()) break;
        if (!subscribed(candidate, sender, id)) continue;
        if (candidate->onReceived(sender, response)) return 1;
    }
    return 0;
}

} // namespace DNS
