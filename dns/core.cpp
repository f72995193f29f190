#include "dns/core.h"

#include "dns/config/resolvconf.h"
#include "dns/lookup/lookup.h"
#include "dns/loop/loop.h"
#include "dns/now.h"
#include "dns/watcher.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <cstdio>
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
    if (lookup->exhausted())
    {
        // Answered locally: never waits for room, runs at the next loop turn.
        _ready.pushFront(lookup);
        lookup->place();
        ++_inflight;
        timer(0);
        return lookup;
    }
    Now now;
    if (_inflight >= _capacity || _nameservers.empty())
    {
        bool first = _waiting.empty();
        _waiting.pushBack(lookup);
        if (first) reschedule(now);
        return lookup;
    }
    // Queued first: should the send fail badly, the lookup is still owned.
    bool first = _scheduled.empty();
    _scheduled.pushBack(lookup);
    lookup->place();
    ++_inflight;
    lookup->execute(now);
    requeue(lookup, now);
    if (first) reschedule(now);
    return lookup;
}

void Core::requeue(Lookup* lookup, double now)
{
    LookupQueue* queue = lookup->queue();
    if (queue == nullptr || queue == &_waiting) return;
    queue->remove(lookup);
    enqueue(lookup, now);
}

void Core::enqueue(Lookup* lookup, double now)
{
    // Each queue is in the order the lookups are due, as they all wait
    // alike since their last send; one due at once goes before them all.
    if (lookup->delay(now) <= 0)
    {
        _ready.pushFront(lookup);
        timer(0);
    }
    else
        (lookup->exhausted() ? _ready : _scheduled).pushBack(lookup);
}

void Core::release(Lookup* lookup)
{
    bool placed = lookup->placed();
    delete lookup;
    // A lookup that never started held no place.
    if (!placed) return;
    assert(_inflight > 0);
    --_inflight;
    if (_inflight < _capacity && !_waiting.empty()) timer(0);
}

void Core::report(Core* core, std::exception_ptr exception) noexcept
{
    try
    {
        if (core && core->_reporter) return core->_reporter(exception);
        std::rethrow_exception(exception);
    }
    catch (const std::exception& error)
    {
        fprintf(stderr, "DNS: a lookup's handler threw: %s\n", error.what());
    }
    catch (...)
    {
        // A reporter that throws in turn has said what it had to.
        if (!core || !core->_reporter) fprintf(stderr, "DNS: a lookup's handler threw\n");
    }
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
    // The end of a run sets the timer from what is left.
    if (_running) return;
    double due = Now() + seconds;
    if (_timer && seconds >= 0 && _due <= due) return;
    if (_timer) _loop->cancel(_timer, this);
    _timer = nullptr;
    if (seconds < 0) return;
    _timer = _loop->timer(seconds, this);
    _due = due;
}

void Core::reschedule(double now)
{
    if (!_running) timer(delay(now));
}

void Core::onActive(Sockets*)
{
    timer(0);
}

void Core::onReadable(Sockets*)
{
    // Answers go out at once, rather than after one more turn of the loop;
    // a run already on the stack delivers them itself.
    if (!_running) run();
}

void Core::expire()
{
    // The loop is done with the fired timer; give its identifier back first.
    timer(-1);
    run();
}

void Core::run()
{
    Watcher watcher(this);
    _running = true;
    Now now;
    size_t budget = callsPerRun;
    for (Sockets* sockets : {&_ipv4, &_ipv6})
    {
        budget -= sockets->deliver(budget);
        if (!watcher.valid()) return;
    }
    if (!walk(_scheduled, budget, now) || !walk(_ready, budget, now)) return;
    proceed(now);
    if (!watcher.valid()) return;
    // Sockets nobody waits on any more close now: a lookup started from a
    // handler in this run kept its socket, the next one after a pause gets
    // a fresh source port.
    _ipv4.closeIdle();
    _ipv6.closeIdle();
    _running = false;
    reschedule(now);
}

bool Core::walk(LookupQueue& queue, size_t& budget, double now)
{
    Watcher watcher(this);
    while (budget > 0 && !queue.empty())
    {
        Lookup* lookup = queue.front();
        // A lookup that went over to TCP makes no more attempts: it waits
        // with the others that do, so it holds up no retry behind it.
        if (&queue == &_scheduled && lookup->exhausted())
        {
            queue.remove(lookup);
            _ready.pushBack(lookup);
        }
        else if (lookup->delay(now) > 0)
            break;
        else
        {
            process(lookup, now);
            if (!watcher.valid()) return false;
        }
        --budget;
    }
    return true;
}

void Core::process(Lookup* lookup, double now)
{
    // A lookup that finishes is freed inside execute.
    if (!lookup->execute(now)) requeue(lookup, now);
}

void Core::proceed(double now)
{
    Watcher watcher(this);
    while (watcher.valid() && _inflight < _capacity && !_waiting.empty())
    {
        Lookup* lookup = _waiting.front();
        _waiting.remove(lookup);
        _scheduled.pushBack(lookup);
        lookup->place();
        ++_inflight;
        process(lookup, now);
    }
}

} // namespace DNS
