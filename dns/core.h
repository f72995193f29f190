#pragma once

#include "dns/config/hosts.h"
#include "dns/lookup/lookupqueue.h"
#include "dns/loop/timer.h"
#include "dns/message/ip.h"
#include "dns/transport/sockets.h"
#include "dns/watchable.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace DNS
{

class Connecting;
class Connector;
class Inbound;
class Lookup;
class Loop;
class Operation;
class Query;
class ResolvConf;

/// The resolver's engine: settings, hosts table, sockets, the lookups in
/// their queues and one timer on the loop. Lookups wait in the *waiting*
/// queue while the Core is full (or has no name server), make their UDP
/// sends from the *scheduled* queue, and wait for a final answer or
/// time-out in the *ready* queue (local lookups go there at once).
///
/// Everything runs on the loop's thread. Handlers hear of answers and
/// time-outs only from a run of the Core, which the timer or a readable UDP
/// socket starts (of a cancel, from inside cancel()); the Core may be
/// destroyed inside any callback, which ends the run at once.
/// A lookup is freed as soon as it has reported, so that memory follows the
/// number of lookups in flight, not the rate.
class Core : public Timer, public Watchable, private Sockets::Handler
{
public:
    /// Told of an exception that a handler threw.
    using Reporter = std::function<void(std::exception_ptr)>;

    /// With system true, reads /etc/resolv.conf and /etc/hosts (throwing when
    /// either cannot be read); otherwise keeps the defaults and no server.
    Core(Loop* loop, bool system);
    /// Reads the given resolv.conf (not strict) and hosts file; throws
    /// "<path>: failed to open file" or "failed to load <path>".
    Core(Loop* loop, const char* resolvconf, const char* hosts);
    /// Takes the settings of a configuration; the hosts table stays empty.
    Core(Loop* loop, const ResolvConf& conf);
    /// Destroys the running lookups without calling their handlers.
    ~Core() override;

    double timeout() const { return _timeout; }
    double interval() const { return _interval; }
    /// Rounds over the name servers, each asking every server once (resolv.conf(5)).
    unsigned attempts() const { return _attempts; }
    bool rotate() const { return _rotate; }
    unsigned char ndots() const { return _ndots; }
    const std::vector<Ip>& nameservers() const { return _nameservers; }
    const std::vector<std::string>& searchpaths() const { return _searchpaths; }
    /// Adds a name server after the configured ones.
    void nameserver(const Ip& server) { _nameservers.push_back(server); }
    /// Whether the hosts table lists the name, with an address of any version.
    bool exists(const char* name) const { return _hosts.lookup(name, 0) != nullptr; }
    /// Whether the hosts table answers the question itself (see Hosts::answers).
    bool local(const char* name, int type) const { return _hosts.answers(name, type); }

    /// Sends a query over UDP to the server (the socket set of its version).
    Inbound* datagram(const Ip& server, const Query& query);
    /// Subscribes a connector to a TCP connection to the server.
    Connecting* connect(const Ip& server, Connector* connector);

    /// Takes ownership of the lookup and starts it, or queues it.
    Operation* add(Lookup* lookup);
    /// A started lookup sent again out of turn (or has nothing more to wait
    /// for): it moves to where it is now due.
    void requeue(Lookup* lookup, double now);
    /// A lookup has reported: frees it and its place.
    void release(Lookup* lookup);

    /// Where exceptions thrown by handlers go; by default a line on stderr.
    void reporter(Reporter reporter) { _reporter = std::move(reporter); }
    /// Reports an exception of a handler through the Core's reporter (or,
    /// with no Core left, the default one); never throws.
    static void report(Core* core, std::exception_ptr exception) noexcept;

protected:
    void configure(const ResolvConf& conf);
    /// Sets the timer to fire when the first lookup is due.
    void reschedule(double now);

    double _timeout = 60.0;
    double _interval = 2.0;
    unsigned _attempts = 5;
    bool _rotate = false;
    unsigned char _ndots = 1;
    size_t _capacity = 1024;
    std::vector<Ip> _nameservers;
    std::vector<std::string> _searchpaths;
    Hosts _hosts;
    Loop* _loop;
    // Declared before the queues: lookups are destroyed first.
    Sockets _ipv4;
    Sockets _ipv6;

private:
    void expire() override;
    void onActive(Sockets* sockets) override;
    void onReadable(Sockets* sockets) override;
    /// Delivers answers, runs the lookups that are due and sets the timer.
    void run();

    /// The socket set of the server's address family; null for no address.
    Sockets* socketsFor(const Ip& server);
    double delay(double now) const;
    /// Makes the timer fire within the seconds (0: at the next loop turn);
    /// a timer that fires sooner is kept, as firing early costs only a
    /// look at the queues. A negative value only cancels it.
    void timer(double seconds);
    /// Runs queue fronts that are due, up to budget of them; false when the
    /// Core was destroyed meanwhile.
    bool walk(LookupQueue& queue, size_t& budget, double now);
    /// Runs a queued lookup and moves it to the queue of its new state.
    void process(Lookup* lookup, double now);
    /// Queues a started lookup that is in no queue by when it is due.
    void enqueue(Lookup* lookup, double now);
    /// Starts waiting lookups while there is room.
    void proceed(double now);

    LookupQueue _scheduled;
    LookupQueue _waiting;
    LookupQueue _ready;
    void* _timer = nullptr;
    // When the timer fires (Now's clock).
    double _due = 0;
    // While a run is on: its end sets the next timer, nothing before.
    bool _running = false;
    size_t _inflight = 0;
    Reporter _reporter;
};

} // namespace DNS
