#include "dns/transport/udp.h"

#include "dns/loop/loop.h"
#include "dns/message/query.h"
#include "dns/transport/address.h"
#include "dns/transport/inbox.h"
#include "dns/transport/processor.h"
#include "dns/watcher.h"

#include <cerrno>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace DNS
{

namespace
{

const unsigned datagramsPerNotification = 64;

} // namespace

Udp::Udp(Loop* loop, Socket::Handler* handler, Inbox& inbox, const Ip& server, size_t buffersize)
    : Socket(handler), _loop(loop), _inbox(inbox), _server(server), _buffersize(buffersize)
{
}

Udp::~Udp()
{
    close();
}

bool Udp::open()
{
    Address address(_server);
    _fd = socket(address.family(), SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (_fd < 0) return false;
    if (connect(_fd, address, address.size()) != 0)
    {
        ::close(_fd);
        _fd = -1;
        return false;
    }
    _identifier = _loop->add(_fd, Loop::readable, this);
    if (_buffersize > 0)
    {
        int size = static_cast<int>(_buffersize);
        setsockopt(_fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    return true;
}

Inbound* Udp::send(const Query& query)
{
    if (_fd < 0 && !open()) return nullptr;
    if (::send(_fd, query.data(), query.size(), MSG_NOSIGNAL) >= 0)
    {
        ++_queries;
        return this;
    }
    // The refusal of an earlier datagram: it concerns those that wait.
    if (errno == ECONNREFUSED) refused();
    // A descriptor nobody waits on is not kept open.
    if (subscribers() == 0) close();
    return nullptr;
}

void Udp::refused()
{
    if (subscribers() == 0) return;
    _refused = true;
    _handler->onActive(this);
}

void Udp::notify()
{
    // Bounded, so that a flood of datagrams cannot hold the loop: the loop
    // reports the descriptor again while more wait. A lone lookup's answer
    // is read without the kernel trying for a second datagram.
    const unsigned wanted = subscribers() > 1 ? Inbox::batch : 1;
    bool any = false;
    for (unsigned read = 0; read < datagramsPerNotification; read += wanted)
    {
        int count = _inbox.read(_fd, wanted);
        // ICMP port unreachable for a datagram sent on this socket.
        if (count < 0 && errno == ECONNREFUSED)
        {
            if (subscribers() > 0) any = _refused = true;
            continue;
        }
        // Connected: every datagram comes from the server.
        for (int i = 0; i < count; ++i)
        {
            unsigned size = _inbox.size(static_cast<unsigned>(i));
            if (size < 1) continue;
            received(_server, _inbox.data(static_cast<unsigned>(i)), size);
            any = true;
        }
        if (count < int(Inbox::batch)) break;
    }
    // Last: the delivery may close and destroy this socket.
    if (any) _handler->onReadable(this);
}

bool Udp::active() const
{
    return Socket::active() || _refused || (_fd >= 0 && subscribers() == 0);
}

size_t Udp::process(size_t max)
{
    Watcher watcher(this);
    size_t finished = Socket::process(max);
    if (!watcher.valid()) return finished;
    // Each waits for the server whose port refused; the kernel tells of one
    // datagram, and at a limited rate, but all of them went to that port.
    const Ip server = _server;
    Processor* processor;
    while (_refused && finished < max && take(processor))
    {
        bool done = processor->onRefused(server);
        if (!watcher.valid()) return finished + done;
        finished += done;
    }
    if (_refused && subscribers() == 0)
    {
        _refused = false;
        reset();
    }
    return finished;
}

void Udp::reset()
{
    // Closed at the Core's next timer run, unless a lookup takes it up first.
    if (_fd >= 0) _handler->onActive(this);
}

void Udp::closeIdle()
{
    if (subscribers() == 0) close();
}

void Udp::close()
{
    if (_fd < 0) return;
    _loop->remove(_identifier, _fd, this);
    _identifier = nullptr;
    ::close(_fd);
    _fd = -1;
    _queries = 0;
    _refused = false;
}

} // namespace DNS
