#include "dns/core.h"

#include "dns/config/resolvconf.h"
#include "dns/lookup/lookup.h"
#include "dns/loop/loop.h"
#include "dns/now.h"
#include "dns/watcher.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <stdexcept>

namespace DNS
{

namespace
{

// Deliveries and executions per timer run before the loop gets its turn.
const size_t callsPerRun = 64;

} // namespace

Core::Core(Loop* loop, bool system) : _loop(loop), _ipv4(loop, this), _ipv6(loop, this)
{
    if (!system) return;
    configure(ResolvConf("/etc/resolv.conf", false));
    if (!_hosts.load("/etc/hosts")) throw std::runtime_error("failed to load /etc/hosts");
}

Core::Core(Loop* loop, const char* resolvconf, const char* hosts)
    : _loop(loop), _ipv4(loop, this), _ipv6(loop, this)
{
    configure(ResolvConf(resolvconf, false));
    if (!_hosts.load(hosts)) throw std::runtime_error(std::string("failed to load ") + hosts);
}

Core::Core(Loop* loop, const ResolvConf& conf) : _loop(loop), _ipv4(loop, this), _ipv6(loop, this)
{
    configure(conf);
}

Core::~Core()
{
    if (_timer) _loop->cancel(_timer, this);
}

void Core::configure(const ResolvConf& conf)
{
    _nameservers = conf.nameservers();
    _searchpaths = conf.searchpaths();
    _timeout = _interval = conf.timeout();
    // Without one attempt a lookup could only time out, at once.
    _attempts = std::max(1u, conf.attempts());
    _rotate = conf.rotate();
    _ndots = conf.ndots();
}

Sockets* Core::socketsFor(const Ip& server)
{
    switch (server.version())
    {
    case 4:
        return &_ipv4;
    case 6:
        return &_ipv6;
    default:
        return nullptr;
    }
}

Inbound* Core::datagram(const Ip& server, const Query& query)
{
    Sockets* sockets = socketsFor(server);
    return sockets ? sockets->datagram(server, query) : nullptr;
}

Connecting* Core::connect(const Ip& server, Connector* connector)
{
    Sockets* sockets = socketsFor(server);
    return sockets ? sockets->connect(server, connector) : nullptr;
}

Operation* Core::add(Lookup* lookup)
{
    std::shared_ptr<Lookup> handle(lookup);
    Now now;
    if (lookup->exhausted())
    {
        // Answered locally: never waits for room, runs at the next loop turn.
        _ready.push_front(handle);
        ++_inflight;
        timer(0);
    }
    else if (_inflight >= _capacity || _nameservers.empty())
    {
        _waiting.push_back(handle);
        if (_waiting.size() == 1) reschedule(now);
    }
    else
    {
        lookup->execute(now);
        ++_inflight;
        _scheduled.push_back(handle);
        if (_scheduled.size() == 1) reschedule(now);
    }
    return lookup;
}

void Core::cancel(const Lookup* lookup)
{
    // A lookup that never started holds no place.
    if (lookup->scheduled()) return;
    finished(1);
    if (_inflight < _capacity && !_waiting.empty()) timer(0);
}

void Core::finished(size_t count)
{
    assert(count <= _inflight);
    _inflight -= std::min(count, _inflight);
}

double Core::delay(double now) const
{
    if (_ipv4.active() || _ipv6.active()) return 0;
    // Waiting lookups that have room start (or, without a server, time out) now.
    if (!_waiting.empty() && _inflight < _capacity) return 0;
    if (_scheduled.empty() && _ready.empty()) return -1;
    double delay = std::numeric_limits<double>::max();
    if (!_scheduled.empty()) delay = _scheduled.front()->delay(now);
    if (!_ready.empty()) delay = std::min(delay, _ready.front()->delay(now));
    return delay;
}

void Core::timer(double seconds)
{
    if (seconds == 0 && _immediate) return;
    if (_timer) _loop->cancel(_timer, this);
    _timer = nullptr;
    _immediate = false;
    if (seconds < 0) return;
    _timer = _loop->timer(seconds, this);
    _immediate = seconds == 0;
}

void Core::reschedule(double now)
{
    timer(delay(now));
}

void Core::onActive(Sockets*)
{
    timer(0);
}

void Core::expire()
{
    // The loop is done with the fired timer; give its identifier back first.
    timer(-1);

    Watcher watcher(this);
    Now now;
    size_t budget = callsPerRun;
    for (Sockets* sockets : {&_ipv4, &_ipv6})
    {
        size_t done = sockets->deliver(budget);
        if (!watcher.valid()) return;
        finished(done);
        budget -= done;
    }
    if (!walk(_scheduled, budget, now) || !walk(_ready, budget, now)) return;
    proceed(now);
    if (!watcher.valid()) return;
    reschedule(now);
}

bool Core::walk(Queue& queue, size_t& budget, double now)
{
    Watcher watcher(this);
    while (budget > 0 && !queue.empty())
    {
        std::shared_ptr<Lookup> lookup = queue.front();
        queue.pop_front();
        --budget;
        // A lookup that went over to TCP makes no more attempts: it waits
        // with the others that do, so it holds up no retry behind it.
        if (&queue == &_scheduled && lookup->exhausted())
        {
            _ready.push_back(lookup);
            continue;
        }
        bool due = process(lookup, now);
        if (!watcher.valid()) return false;
        if (!due)
        {
            queue.push_front(lookup);
            ++budget;
            break;
        }
    }
    return true;
}

bool Core::process(const std::shared_ptr<Lookup>& lookup, double now)
{
    if (lookup->finished()) return true;
    if (lookup->delay(now) > 0) return false;
    Watcher watcher(this);
    if (lookup->execute(now))
    {
        if (watcher.valid()) finished(1);
        return true;
    }
    if (!watcher.valid()) return true;
    (lookup->exhausted() ? _ready : _scheduled).push_back(lookup);
    return true;
}

void Core::proceed(double now)
{
    Watcher watcher(this);
    while (watcher.valid() && _inflight < _capacity && !_waiting.empty())
    {
        std::shared_ptr<Lookup> lookup = _waiting.front();
        _waiting.pop_front();
        // A lookup cancelled while it waited never took a place.
        if (lookup->finished()) continue;
        ++_inflight;
        process(lookup, now);
    }
}

} // namespace DNS
