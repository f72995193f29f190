#include "dns/transport/tcp.h"

#include "dns/loop/loop.h"
#include "dns/transport/address.h"
#include "dns/transport/blocking.h"
#include "dns/transport/connector.h"
#include "dns/transport/processor.h"
#include "dns/watcher.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include <arpa/nameser.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace DNS
{

Tcp::Tcp(Loop* loop, const Ip& server, Handler* handler)
    : Socket(handler), _loop(loop), _server(server)
{
    Address address(server);
    _fd = socket(address.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (_fd < 0) throw std::runtime_error("failed to create socket");
    int on = 1;
    setsockopt(_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (connect(_fd, address, address.size()) != 0 && errno != EINPROGRESS && errno != EAGAIN)
    {
        close(_fd);
        throw std::runtime_error("failed to connect");
    }
    _identifier = _loop->add(_fd, Loop::writable, this);
}

Tcp::~Tcp()
{
    if (_identifier) _loop->remove(_identifier, _fd, this);
    close(_fd);
}

void Tcp::notify()
{
    if (_state == connecting)
        upgrade();
    else if (_state == connected)
        read();
}

void Tcp::upgrade()
{
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(_fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
    if (error != 0) return fail(failed);
    _state = connected;
    _identifier = _loop->update(_identifier, _fd, Loop::readable, this);
    // The waiting connectors are told at the next delivery, which counts
    // the lookups that finish on the way.
    if (!_connectors.empty()) _handler->onActive(this);
}

void Tcp::read()
{
    auto receive = [this](unsigned char* into, size_t size)
    {
        ssize_t result = recv(_fd, into, size, MSG_DONTWAIT);
        if (result > 0) return static_cast<size_t>(result);
        if (result == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) fail(lost);
        return size_t(0);
    };
    if (_read < sizeof _prefix)
    {
        _read += receive(_prefix + _read, sizeof _prefix - _read);
        if (_read < sizeof _prefix) return;
        _buffer.resize(ns_get16(_prefix));
    }
    size_t body = _read - sizeof _prefix;
    if (body < _buffer.size())
    {
        body += receive(_buffer.data() + body, _buffer.size() - body);
        _read = body + sizeof _prefix;
        if (body < _buffer.size()) return;
    }
    _read = 0;
    received(_server, std::move(_buffer));
    _handler->onActive(this);
    _buffer.clear();
}

bool Tcp::transmit(const Query& query)
{
    if (_state != connected) return false;
    Blocking blocking(_fd);
    unsigned char prefix[2];
    ns_put16(static_cast<unsigned>(query.size()), prefix);
    if (::send(_fd, prefix, sizeof prefix, MSG_NOSIGNAL | MSG_MORE) != sizeof prefix) return false;
    return ::send(_fd, query.data(), query.size(), MSG_NOSIGNAL) == ssize_t(query.size());
}

Inbound* Tcp::send(const Query& query)
{
    if (_outstanding.count(query.id()))
    {
        _queued.emplace(query.id(), query);
        return this;
    }
    if (!transmit(query)) return nullptr;
    _outstanding.insert(query.id());
    return this;
}

void Tcp::onReceivedId(unsigned short id)
{
    if (_state != connected) return;
    auto queued = _queued.find(id);
    if (queued == _queued.end())
    {
        _outstanding.erase(id);
        return;
    }
    Query query = queued->second;
    _queued.erase(queued);
    if (!transmit(query)) fail(failed);
}

Connecting* Tcp::subscribe(Connector* connector)
{
    // A broken connection takes nobody new: a fresh one is made instead.
    if (_state == failed || _state == lost) return nullptr;
    _connectors.push_back(connector);
    if (_state == connected && _connectors.size() == 1) _handler->onActive(this);
    return this;
}

void Tcp::unsubscribe(Connector* connector)
{
    _connectors.erase(std::remove(_connectors.begin(), _connectors.end(), connector),
                      _connectors.end());
    reset();
}

bool Tcp::active() const
{
    return Socket::active() || (_state != connecting && !_connectors.empty()) ||
           (_state == lost && subscribers() > 0);
}

size_t Tcp::process(size_t max)
{
    Watcher watcher(this);
    const Ip server = _server;
    size_t finished = 0;
    while (_state != connecting && !_connectors.empty() && finished < max)
    {
        Connector* connector = _connectors.front();
        _connectors.pop_front();
        bool done =
            _state == failed ? connector->onFailure(server) : connector->onConnected(server, this);
        if (!watcher.valid()) return finished + done;
        finished += done;
    }
    if (finished < max) finished += Socket::process(max - finished);
    if (!watcher.valid()) return finished;
    Processor* processor;
    while (_state == lost && finished < max && take(processor))
    {
        bool done = processor->onLost(server);
        if (!watcher.valid()) return finished + done;
        finished += done;
    }
    // Last: this may destroy the connection.
    reset();
    return finished;
}

void Tcp::fail(State state)
{
    _loop->remove(_identifier, _fd, this);
    _identifier = nullptr;
    _state = state;
    _handler->onActive(this);
}

void Tcp::reset()
{
    if (subscribers() == 0 && _connectors.empty()) static_cast<Handler*>(_handler)->onUnused(this);
}

} // namespace DNS
