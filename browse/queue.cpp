#include "browse/queue.h"

#include "browse/connection.h"
#include "browse/context.h"
#include "browse/operation.h"
#include "dns/context.h"
#include "dns/message/absent.h"
#include "dns/message/answers.h"
#include "dns/message/record.h"
#include "dns/message/response.h"
#include "event/loop.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <arpa/nameser.h>

namespace Kestrava
{
namespace Browse
{

Queue::Queue(Context& context, const Dns::Hostname& host, size_t limit)
    : _context(context), _host(host), _limit(limit)
{
}

Queue::~Queue()
{
    // Lookups still running would report to a queue that is gone.
    std::vector<DNS::Operation*> lookups = std::move(_lookups);
    for (DNS::Operation* lookup : lookups)
        lookup->cancel();
}

void Queue::resolve(DNS::Context& dns)
{
    _dns = &dns;
    // One candidate gives both families: searched apart, the A record of
    // one name and the AAAA record of another would be one host's.
    if (dns.exists(_host.ascii()))
        _candidates = {_host.ascii()};
    else
        _candidates = dns.candidates(_host.ascii());
    lookUp(_candidates.front());
}

void Queue::lookUp(const std::string& name)
{
    // A name of the hosts file is the file's alone, as getaddrinfo takes it:
    // the family the file gives it no address of is asked of no name server,
    // whose address for it would be connected to in turn.
    const bool listed = _dns->exists(name.c_str());
    for (int type : {ns_t_a, ns_t_aaaa})
    {
        if (listed && !_dns->local(name.c_str(), type)) continue;
        ++_pending;
        DNS::Operation* lookup = _dns->query(name.c_str(), type, DNS::Bits(), this);
        if (lookup != nullptr)
            _lookups.push_back(lookup);
        else
            ++_unstarted;
    }
    // A name the resolver cannot ask counts as a failed lookup, reported
    // from the loop like any other.
    if (_unstarted > 0) _idle.start(_context.loop()->loop());
}

void Queue::resolve(const DNS::Ip& ip)
{
    _addresses.push_back(ip);
    startWaiting();
}

void Queue::add(uint16_t port, bool https, Browse::Handler* handler)
{
    _waiting.push_back(new Operation(this, port, https, handler));
    if (_pending == 0 && !_addresses.empty()) startWaiting();
}

Operation* Queue::taker(const Connection& connection) const
{
    auto waiting = std::find_if(_waiting.begin(), _waiting.end(),
                                [&](Operation* operation) { return operation->fits(connection); });
    return waiting != _waiting.end() ? *waiting : nullptr;
}

void Queue::handOver(Operation* taker, Connection* connection)
{
    _waiting.erase(std::find(_waiting.begin(), _waiting.end(), taker));
    taker->takeOver(connection);
}

void Queue::keep(Operation* operation)
{
    _kept.push_back(operation);
    startWaiting();
}

void Queue::forget(Operation* operation)
{
    _kept.erase(std::remove(_kept.begin(), _kept.end(), operation), _kept.end());
}

bool Queue::closeIdle()
{
    // One that already closes (it heard from the server) makes room soon
    // by itself.
    auto open = std::find_if(_kept.begin(), _kept.end(),
                             [](Operation* kept) { return kept->idle()->usable(); });
    if (open == _kept.end()) return false;
    Connection* connection = (*open)->idle();
    _kept.erase(open);
    // Its close ends the operation.
    connection->close();
    return true;
}

void Queue::ended()
{
    --_running;
    startWaiting();
    finishIfIdle();
}

void Queue::cancel()
{
    std::deque<Operation*> waiting = std::move(_waiting);
    for (Operation* operation : waiting)
        operation->cancel()->onFailed("operation cancelled");
}

void Queue::onReceived(const DNS::Operation* operation, const DNS::Response& response)
{
    _absent = _absent && DNS::absent(response);
    DNS::Handler::onReceived(operation, response);
}

void Queue::onResolved(const DNS::Operation* operation, const DNS::Response& response)
{
    try
    {
        // Only what answers the question: an address of another name in
        // the answer is nobody's word for this host.
        for (int index : DNS::Answers(response))
            _addresses.emplace_back(DNS::Record(response, ns_s_an, index));
    }
    catch (const std::exception&)
    {
        // A record too short for its address ends the answer; what came before counts.
    }
    looked(operation);
}

void Queue::onFailure(const DNS::Operation* operation, int)
{
    looked(operation);
}

void Queue::onTimeout(const DNS::Operation* operation)
{
    _absent = false;
    looked(operation);
}

void Queue::onCancelled(const DNS::Operation*) {}

void Queue::onIdle()
{
    _idle.stop();
    size_t unstarted = std::exchange(_unstarted, 0);
    _pending -= unstarted - 1;
    looked(nullptr);
}

void Queue::looked(const DNS::Operation* operation)
{
    _lookups.erase(std::remove(_lookups.begin(), _lookups.end(), operation), _lookups.end());
    if (--_pending > 0) return;
    if (!_addresses.empty()) return startWaiting();
    if (_absent && ++_candidate < _candidates.size()) return lookUp(_candidates[_candidate]);

    // Gone first, so that the users may ask again from their reports.
    std::deque<Operation*> waiting = std::move(_waiting);
    _context.remove(this);
    delete this;
    for (Operation* failed : waiting)
        failed->cancel()->onFailed("IP lookup error");
}

void Queue::startWaiting()
{
    if (_waiting.empty()) return;
    if (!_kept.empty()) return _reuse.start(_context.loop()->loop());
    connectWaiting();
}

void Queue::onExpired(Event::TimerWatcher*)
{
    std::vector<Connection*> reused;
    for (auto waiting = _waiting.begin(); waiting != _waiting.end() && !_kept.empty();)
    {
        Operation* operation = *waiting;
        auto kept =
            std::find_if(_kept.begin(), _kept.end(),
                         [operation](Operation* kept) { return operation->fits(*kept->idle()); });
        if (kept == _kept.end())
        {
            ++waiting;
            continue;
        }
        Operation* idle = *kept;
        _kept.erase(kept);
        Connection* connection = idle->idle();
        // The server may have closed it while it idled, its close not read
        // yet: then the close ends its operation, and the request looks on.
        if (!connection->reusable())
        {
            connection->close();
            continue;
        }
        operation->takeOver(connection);
        reused.push_back(connection);
        // One ends, one starts: the running count stays.
        idle->cancel();
        waiting = _waiting.erase(waiting);
    }
    // Idle connections that none of the rest can take give way to those
    // that the limit holds back.
    size_t room = _limit > _running ? _limit - _running : 0;
    for (size_t held = _waiting.size() > room ? _waiting.size() - room : 0; held > 0; --held)
        if (!closeIdle()) break;
    connectWaiting();
    // Last: a report may end anything, the queue included.
    for (Connection* connection : reused)
        connection->offer();
}

void Queue::connectWaiting()
{
    while (!_waiting.empty() && _running < _limit)
    {
        Operation* operation = _waiting.front();
        _waiting.pop_front();
        ++_running;
        operation->start();
    }
}

bool Queue::finishIfIdle()
{
    if (_running > 0 || !_waiting.empty() || _pending > 0) return false;
    _context.remove(this);
    delete this;
    return true;
}

} // namespace Browse
} // namespace Kestrava
