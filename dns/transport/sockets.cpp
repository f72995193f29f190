#include "dns/transport/sockets.h"

#include "dns/watcher.h"

#include <algorithm>
#include <stdexcept>

namespace DNS
{

Sockets::Sockets(Loop* loop, Handler* handler) : _loop(loop), _handler(handler) {}

void Sockets::buffersize(size_t size)
{
    _buffersize = size;
    for (Udp& udp : _udps)
        udp.buffersize(size);
}

Inbound* Sockets::datagram(const Ip& server, const Query& query)
{
    return taker(server).send(query);
}

Udp& Sockets::taker(const Ip& server)
{
    auto taker = std::find_if(_takers.begin(), _takers.end(),
                              [&server](const Udp* udp) { return udp->server() == server; });
    if (taker != _takers.end() && !(*taker)->spent()) return **taker;
    // A spent socket stays open for the answers still due on it.
    auto closed =
        std::find_if(_udps.begin(), _udps.end(),
                     [&server](const Udp& udp) { return udp.server() == server && udp.closed(); });
    Udp* fresh = closed != _udps.end()
                     ? &*closed
                     : &_udps.emplace_back(_loop, static_cast<Socket::Handler*>(this), _inbox,
                                           server, _buffersize);
    if (taker != _takers.end())
        *taker = fresh;
    else
        _takers.push_back(fresh);
    return *fresh;
}

Connecting* Sockets::connect(const Ip& server, Connector* connector)
{
    for (const auto& tcp : _tcps)
        if (tcp->ip() == server)
            if (Connecting* connecting = tcp->subscribe(connector)) return connecting;
    try
    {
        _tcps.push_back(std::make_shared<Tcp>(_loop, server, static_cast<Tcp::Handler*>(this)));
    }
    catch (const std::runtime_error&)
    {
        return nullptr;
    }
    return _tcps.back()->subscribe(connector);
}

size_t Sockets::deliver(size_t max)
{
    Watcher watcher(this);
    size_t finished = 0;
    for (Udp& udp : _udps)
    {
        if (finished >= max) return finished;
        finished += udp.process(max - finished);
        if (!watcher.valid()) return finished;
    }
    // Weak copies: a connection that leaves the vector meanwhile is destroyed
    // at once and skipped, and one still processing sees its own Watcher fail.
    std::vector<std::weak_ptr<Tcp>> connections(_tcps.begin(), _tcps.end());
    for (const auto& connection : connections)
    {
        if (finished >= max) break;
        Tcp* tcp = connection.lock().get();
        if (!tcp) continue;
        finished += tcp->process(max - finished);
        if (!watcher.valid()) break;
    }
    return finished;
}

bool Sockets::active() const
{
    return std::any_of(_udps.begin(), _udps.end(), [](const Udp& udp) { return udp.active(); }) ||
           std::any_of(_tcps.begin(), _tcps.end(), [](const auto& tcp) { return tcp->active(); });
}

void Sockets::closeIdle()
{
    for (Udp& udp : _udps)
        udp.closeIdle();
}

void Sockets::onActive(Socket*)
{
    _handler->onActive(this);
}

void Sockets::onReadable(Socket*)
{
    _handler->onReadable(this);
}

void Sockets::onUnused(Tcp* connection)
{
    _tcps.erase(std::find_if(_tcps.begin(), _tcps.end(),
                             [connection](const auto& tcp) { return tcp.get() == connection; }));
}

} // namespace DNS
