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

namespace DNS
{

namespace
{

// The first connection and up to ten new ones after it broke.
const unsigned maximumConnections = 11;

} // namespace

RemoteLookup::RemoteLookup(Core* core, const char* name, int type, const Bits& bits,
                           Handler* handler)
    : Lookup(core, handler, ns_o_query, name, type, bits), _rotation(static_cast<unsigned>(rand()))
{
}

bool RemoteLookup::sendsNoMore() const
{
    return tcp() || _sent >= _core->attempts();
}

bool RemoteLookup::exhausted() const
{
    return !finished() && sendsNoMore();
}

double RemoteLookup::delay(double now) const
{
    if (_sent == 0 || finished()) return 0;
    double wait = sendsNoMore() ? _core->timeout() : _core->interval();
    return std::max(0.0, _last + wait - now);
}

bool RemoteLookup::execute(double now)
{
    if (sendsNoMore())
    {
        // Only the final time-out is left to wait for.
        if (now <= _last + _core->timeout()) return false;
        expire();
        return true;
    }
    const auto& servers = _core->nameservers();
    if (servers.empty())
    {
        expire();
        return true;
    }
    unsigned rotation = _core->rotate() ? _rotation : 0;
    const Ip server = servers[(size_t(_sent) + rotation) % servers.size()];
    Inbound* inbound = _core->datagram(server, _query);
    // A failed send still spends the attempt: the next server may do better.
    ++_sent;
    _last = now;
    if (!inbound) return false;
    inbound->subscribe(this, server, _query.id());
    _subscriptions.emplace_back(inbound, server);
    return false;
}

bool RemoteLookup::onReceived(const Ip& server, const Response& response)
{
    if (!_query.matches(response)) return false;
    if (!response.truncated() || tcp())
    {
        report(response);
        return true;
    }
    // Truncated over UDP: ask the same server again over TCP (RFC 7766 5).
    // The copy comes first: should it fail, the lookup is still as it was.
    auto truncated = std::make_unique<Response>(response);
    unsubscribe();
    _connecting = _core->connect(server, this);
    if (!_connecting)
    {
        report(response);
        return true;
    }
    _connections = 1;
    _truncated = std::move(truncated);
    _last = Now();
    return false;
}

bool RemoteLookup::onConnected(const Ip& server, Tcp* connection)
{
    _connecting = nullptr;
    Inbound* inbound = connection->send(_query);
    if (!inbound) return onLost(server);
    inbound->subscribe(this, server, _query.id());
    _subscriptions.emplace_back(inbound, server);
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
    reportTruncated();
    return true;
}

bool RemoteLookup::onFailure(const Ip&)
{
    _connecting = nullptr;
    reportTruncated();
    return true;
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
    for (const auto& subscription : subscriptions)
        subscription.first->unsubscribe(this, subscription.second, _query.id());
    if (_connecting) std::exchange(_connecting, nullptr)->unsubscribe(this);
}

void RemoteLookup::expire()
{
    Handler* handler = detach();
    unsubscribe();
    finish([&] { handler->onTimeout(this); });
}

void RemoteLookup::reportTruncated()
{
    std::unique_ptr<Response> truncated = std::move(_truncated);
    report(*truncated);
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
