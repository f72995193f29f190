#include "dns/lookup/remotelookup.h"

#include "dns/core.h"
#include "dns/handler.h"
#include "dns/message/fakeresponse.h"
#include "dns/message/record.h"
#include "dns/message/request.h"
#include "dns/message/response.h"
#include "dns/now.h"
#include "dns/transport/connecting.h"
#include "dns/transport/inbound.h"
#include "dns/transport/tcp.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>

namespace DNS
{

namespace
{

// The first connection and up to ten new ones after it broke.
const unsigned maximumConnections = 11;

/// Failures of the server, not of the name: another server may do better
/// (as glibc and c-ares take them).
bool serverFailed(int rcode)
{
    return rcode == ns_r_servfail || rcode == ns_r_notimpl || rcode == ns_r_refused;
}

/// Answers about the name, from whichever server: it has records, or none.
bool answersTheName(int rcode)
{
    return rcode == ns_r_noerror || rcode == ns_r_nxdomain;
}

/// A server's failure told in the header alone, without the question:
/// unbound refuses a client it does not serve so. It stands for the same
/// answer with the question. Any other header alone is dropped, as glibc
/// drops it: it names no name to answer for, and a FORMERR to a query
/// without EDNS would end the lookup before the next server is asked.
bool bareFailure(const Response& response)
{
    return response.questions() == 0 && serverFailed(response.rcode());
}

} // namespace

RemoteLookup::RemoteLookup(Core* core, const char* name, int type, const Bits& bits,
                           Handler* handler)
    : Lookup(core, handler, ns_o_query, name, type, bits), _rotation(static_cast<unsigned>(rand()))
{
}

unsigned RemoteLookup::sends() const
{
    return _core->attempts() * static_cast<unsigned>(_core->nameservers().size());
}

bool RemoteLookup::sendsNoMore() const
{
    return tcp() || _sent >= sends();
}

bool RemoteLookup::exhausted() const
{
    return !finished() && sendsNoMore();
}

double RemoteLookup::delay(double now) const
{
    if (_sent == 0 || finished()) return 0;
    if (!sendsNoMore()) return std::max(0.0, _last + _core->interval() - now);
    if (!_outstanding) return 0;
    return std::max(0.0, _last + _core->timeout() - now);
}

bool RemoteLookup::execute(double now)
{
    if (!sendsNoMore())
    {
        // Should no send go out, the lookup is due at once and reports then,
        // never from inside Context::query.
        sendNext(now);
        return false;
    }
    if (!_outstanding)
    {
        conclude();
        return true;
    }
    if (now <= _last + _core->timeout()) return false;
    if (!tcp())
    {
        expire();
        return true;
    }
    // A server silent over TCP is silent: the question goes on to the next
    // one, and should none be left, the time-out is the last failure.
    _kept.reset();
    return fail(_current, nullptr);
}

bool RemoteLookup::sendNext(double now)
{
    const auto& servers = _core->nameservers();
    unsigned rotation = _core->rotate() ? _rotation : 0;
    while (_sent < sends())
    {
        const Ip server = servers[(size_t(_sent) + rotation) % servers.size()];
        ++_sent;
        // A send that fails (a refused port may tell so) passes the question on.
        if (sendTo(server, now)) return true;
    }
    return false;
}

bool RemoteLookup::sendTo(const Ip& server, double now)
{
    _current = server;
    _last = now;
    Inbound* inbound = _core->datagram(server, _query);
    _outstanding = inbound != nullptr;
    if (!inbound) return false;
    subscribe(inbound, server);
    return true;
}

void RemoteLookup::subscribe(Inbound* inbound, const Ip& server)
{
    inbound->subscribe(this, server, _query.id());
    _subscriptions.push_back({inbound, server, _query.id()});
}

bool RemoteLookup::onReceived(const Ip& server, const Response& response)
{
    // The socket offers what came from a server under an id it was asked
    // with. Awaited is the answer of the server asked last to the query as
    // it is now; any other is late: from an earlier server, or to the query
    // before it went without EDNS.
    const bool awaited = server == _current && response.id() == _query.id();
    if (awaited && _query.refusesEdns(response)) return retryWithoutEdns(server);
    if (!_query.asks(response) && !bareFailure(response)) return false;
    const int rcode = response.rcode();
    if (!awaited && !answersTheName(rcode))
    {
        // An earlier server's failure is that server's; the current one's
        // to the query as it was, with EDNS, is no news.
        if (server != _current) fail(server, &response);
        return false;
    }
    if (serverFailed(rcode)) return fail(server, &response);
    if (!response.truncated() || tcp())
    {
        report(response);
        return true;
    }
    // Truncated over UDP: ask the same server again over TCP (RFC 7766 5).
    // The copy comes first: should it fail, the lookup is still as it was.
    _kept = std::make_unique<Response>(response);
    unsubscribe();
    _current = server;
    _outstanding = true;
    _connecting = _core->connect(server, this);
    // No connection to be had fails the server, with the truncated answer.
    if (!_connecting) return fail(server, nullptr);
    _connections = 1;
    _last = Now();
    return false;
}

bool RemoteLookup::fail(const Ip& server, const Response* answer)
{
    if (answer) _kept = std::make_unique<Response>(*answer);
    unsubscribe(server);
    // An earlier server's failure: the question is with another.
    if (server != _current) return false;
    leaveTcp();
    Now now;
    if (!sendNext(now))
    {
        conclude();
        return true;
    }
    // Due later than the lookups queued before it.
    _core->requeue(this, now);
    return false;
}

bool RemoteLookup::retryWithoutEdns(const Ip& server)
{
    // RFC 6891 7: a server that knows no EDNS answers FORMERR to it. The
    // query goes without from now on, which also keeps this from looping.
    _query.removeEdns();
    unsubscribe(server);
    if (tcp()) leaveTcp();
    Now now;
    if (!sendTo(server, now)) return fail(server, nullptr);
    _core->requeue(this, now);
    return false;
}

void RemoteLookup::leaveTcp()
{
    _connections = 0;
    if (_connecting) std::exchange(_connecting, nullptr)->unsubscribe(this);
}

bool RemoteLookup::onConnected(const Ip& server, Tcp* connection)
{
    _connecting = nullptr;
    Inbound* inbound = connection->send(_query);
    if (!inbound) return onLost(server);
    subscribe(inbound, server);
    return false;
}

bool RemoteLookup::onLost(const Ip& server)
{
    // The connection has already let go of this lookup.
    _subscriptions.clear();
    if (_connections < maximumConnections)
    {
        _connecting = _core->connect(server, this);
        if (_connecting)
        {
            ++_connections;
            return false;
        }
    }
    return fail(server, nullptr);
}

bool RemoteLookup::onFailure(const Ip& server)
{
    _connecting = nullptr;
    return fail(server, nullptr);
}

bool RemoteLookup::onRefused(const Ip& server)
{
    return fail(server, nullptr);
}

void RemoteLookup::cancel()
{
    if (finished()) return;
    Handler* handler = detach();
    unsubscribe();
    finish([&] { handler->onCancelled(this); });
}

void RemoteLookup::unsubscribe()
{
    auto subscriptions = std::exchange(_subscriptions, {});
    for (const Subscription& subscription : subscriptions)
        subscription.inbound->unsubscribe(this, subscription.server, subscription.id);
    if (_connecting) std::exchange(_connecting, nullptr)->unsubscribe(this);
}

void RemoteLookup::unsubscribe(const Ip& server)
{
    auto subscriptions = std::exchange(_subscriptions, {});
    for (const Subscription& subscription : subscriptions)
        if (subscription.server == server)
            subscription.inbound->unsubscribe(this, server, subscription.id);
        else
            _subscriptions.push_back(subscription);
}

void RemoteLookup::conclude()
{
    if (!_kept) return expire();
    std::unique_ptr<Response> kept = std::move(_kept);
    report(*kept);
}

void RemoteLookup::expire()
{
    Handler* handler = detach();
    unsubscribe();
    finish([&] { handler->onTimeout(this); });
}

void RemoteLookup::report(const Response& response)
{
    Handler* handler = detach();
    unsubscribe();
    if (response.rcode() == ns_r_nxdomain && reportKnown(handler, response)) return;
    finish([&] { handler->onReceived(this, response); });
}

bool RemoteLookup::reportKnown(Handler* handler, const Response& response)
{
    // The hosts table knows the name under another address family: the
    // name exists, it only has no record of this type (RFC 2308 2.2).
    std::optional<FakeResponse> empty;
    try
    {
        if (response.questions() == 0) return false;
        Question question(response, 0);
        if (!_core->exists(question.name())) return false;
        empty.emplace(Request(_query), question);
    }
    catch (const std::runtime_error&)
    {
        // An unreadable question: the answer is reported as it came.
        return false;
    }
    finish([&] { handler->onReceived(this, Response(empty->data(), empty->size())); });
    return true;
}

} // namespace DNS
