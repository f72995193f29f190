#pragma once

#include "dns/handler.h"
#include "dns/hostname/hostname.h"
#include "dns/message/ip.h"
#include "event/idlehandler.h"
#include "event/idlewatcher.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace DNS
{
class Context;
}

namespace Kestrava
{
namespace Browse
{

class Connection;
class Context;
class Handler;
class Operation;

/**
 * The requests of one host name: its addresses (looked up as A and AAAA
 * records, or the IP literal itself), the operations waiting in arrival
 * order, and how many run, at most the per-host limit. Operations that keep
 * an idle kept-alive connection count among those that run: a waiting
 * operation that fits takes it over on the next loop turn, and one is
 * closed when the per-host or the connection limit holds back another.
 *
 * States: resolving → ready (operations start under the limit) or failed
 * ("IP lookup error" to every waiting operation); it deletes itself once
 * nothing runs or waits.
 */
class Queue : public DNS::Handler, private Event::IdleHandler, private Event::TimerHandler
{
public:
    Queue(Context& context, const Dns::Hostname& host, size_t limit);
    /// Cancels lookups still running; waiting operations must be gone.
    ~Queue() override;

    /// Starts the A and AAAA lookups of the host name, as getaddrinfo takes
    /// it: the candidate names of the search list in turn, both families
    /// of each, while both are settled to have no address (see
    /// DNS::absent()); for a name of the hosts file, only those of the
    /// families it lists there.
    void resolve(DNS::Context& dns);
    /// Takes an IP-literal host's address, without a lookup.
    void resolve(const DNS::Ip& ip);

    /// A new request: it starts when there is room, else it waits.
    void add(uint16_t port, bool https, Browse::Handler* handler);

    /// The first waiting operation that a kept-alive connection fits, or
    /// null.
    Operation* taker(const Connection& connection) const;
    /// Hands a kept-alive connection to a waiting operation it fits; the
    /// caller made sure that the server has not closed it.
    void handOver(Operation* taker, Connection* connection);
    /// `operation` keeps its idle connection for a later request.
    void keep(Operation* operation);
    /// A kept operation is ending.
    void forget(Operation* operation);
    /// Closes an idle connection to make room; false when there is none.
    bool closeIdle();
    /// An operation ended: waiting ones start while there is room, and the
    /// queue deletes itself when nothing runs or waits.
    void ended();
    /// Fails every waiting operation with "operation cancelled".
    void cancel();

    const Dns::Hostname& host() const { return _host; }
    Context& context() const { return _context; }
    const std::vector<DNS::Ip>& addresses() const { return _addresses; }
    size_t running() const { return _running; }
    size_t waiting() const { return _waiting.size(); }
    /// The lookups are over without an address: the queue is going away.
    bool failed() const { return _pending == 0 && _addresses.empty(); }

private:
    void onReceived(const DNS::Operation* operation, const DNS::Response& response) override;
    void onResolved(const DNS::Operation* operation, const DNS::Response& response) override;
    void onFailure(const DNS::Operation* operation, int rcode) override;
    void onTimeout(const DNS::Operation* operation) override;
    void onCancelled(const DNS::Operation* operation) override;
    void onIdle() override;
    /// Hands idle connections to the waiting operations that fit them.
    void onExpired(Event::TimerWatcher* watcher) override;

    /// Starts the A and AAAA lookups of one name.
    void lookUp(const std::string& name);
    /// One lookup is over.
    void looked(const DNS::Operation* operation);
    /// Starts waiting operations, idle connections going first.
    void startWaiting();
    /// Starts waiting operations on new connections while there is room.
    void connectWaiting();
    /// Deletes the queue when nothing runs or waits; true when it did.
    bool finishIfIdle();

    Context& _context;
    Dns::Hostname _host;
    std::vector<DNS::Ip> _addresses;
    std::deque<Operation*> _waiting;
    size_t _running = 0;
    size_t _limit;
    DNS::Context* _dns = nullptr;
    /// The names asked in turn, and the one asked now.
    std::vector<std::string> _candidates;
    size_t _candidate = 0;
    /// Every lookup so far settled that its name has no address: only then
    /// does the search go on; a time-out or a server's failure ends it, as
    /// it ends the resolver's own.
    bool _absent = true;
    /// Lookups not yet over.
    size_t _pending = 0;
    /// The lookups running, cancelled should the queue go first.
    std::vector<DNS::Operation*> _lookups;
    /// Lookups that could not even start; they end on the next iteration.
    size_t _unstarted = 0;
    Event::IdleWatcher _idle{this};
    /// The operations that keep an idle connection, oldest first.
    std::vector<Operation*> _kept;
    /// Hands idle connections over on the next loop turn, so that no
    /// request is offered one from inside connect().
    Event::TimerWatcher _reuse{this, 0.0, 0.0};
};

} // namespace Browse
} // namespace Kestrava
