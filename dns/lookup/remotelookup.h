#pragma once

#include "dns/lookup/lookup.h"
#include "dns/message/ip.h"
#include "dns/transport/connector.h"
#include "dns/transport/processor.h"

#include <memory>
#include <vector>

namespace DNS
{

class Connecting;
class Inbound;
class Response;

/// A lookup sent to the name servers: over UDP to each server in turn, one
/// send per interval, in as many rounds over the servers as the Core's
/// attempts; over TCP to the server whose answer was truncated. A server
/// that fails (SERVFAIL, REFUSED or NOTIMP, with the question or in a header
/// alone; a refused port, a TCP connection that cannot be had) passes the
/// question on to the next one at once, one silent over TCP after the
/// time-out; one that answers FORMERR to EDNS is asked again without it,
/// under a new id. An earlier server that answers late may still give the
/// answer, never its failure. When no server is left, the last failure is
/// reported: the last server's failed answer (or failed TCP's truncated
/// one), or the time-out.
///
/// States: waiting (not yet started) -> scheduled (sends left) -> ready
/// (every send made, or on TCP) -> finished (reported, and freed).
class RemoteLookup : public Lookup, private Processor, private Connector
{
public:
    /// Throws when the query cannot be built.
    RemoteLookup(Core* core, const char* name, int type, const Bits& bits, Handler* handler);

    void cancel() override;
    bool exhausted() const override;
    double delay(double now) const override;
    bool execute(double now) override;

private:
    bool onReceived(const Ip& server, const Response& response) override;
    bool onLost(const Ip& server) override;
    bool onRefused(const Ip& server) override;
    bool onConnected(const Ip& server, Tcp* connection) override;
    bool onFailure(const Ip& server) override;

    bool tcp() const { return _connections > 0; }
    /// The UDP sends a lookup may make: each round asks every server once.
    unsigned sends() const;
    /// On TCP, or every send made: only an answer or the time-out is left.
    bool sendsNoMore() const;
    /// Sends to the next servers in turn until one send goes out; false
    /// when no send is left.
    bool sendNext(double now);
    /// Sends over UDP to the server, which becomes the current one.
    bool sendTo(const Ip& server, double now);
    /// Waits on the socket for the server's answer to the query as it is.
    void subscribe(Inbound* inbound, const Ip& server);
    /// The server failed, with the failed answer when there is one: the
    /// current server's failure passes the question on. True when the
    /// lookup has finished.
    bool fail(const Ip& server, const Response* answer);
    /// Asks the server again without the OPT record it did not take.
    bool retryWithoutEdns(const Ip& server);
    /// Gives up the TCP connection (or the wait for it).
    void leaveTcp();
    /// Reports the last failure: the answer kept, or a time-out.
    void conclude();
    /// Reports a time-out.
    void expire();
    /// Reports an answer (or, for NXDOMAIN of a name the hosts table knows,
    /// an empty NOERROR answer).
    void report(const Response& response);
    /// For NXDOMAIN: reports an empty answer instead when the hosts table
    /// knows the name; false when it does not.
    bool reportKnown(Handler* handler, const Response& response);
    /// Leaves every socket and connection; done before any report, so that
    /// nothing refers to the lookup once its handler runs.
    void unsubscribe();
    /// Leaves the sockets of one server.
    void unsubscribe(const Ip& server);

    struct Subscription
    {
        Inbound* inbound;
        Ip server;
        // The query's id when it was sent: it changes without EDNS.
        unsigned short id;
    };

    double _last = 0;
    unsigned _sent = 0;
    unsigned _connections = 0;
    // Where in the server list the sends start when rotating.
    unsigned _rotation;
    // The server asked last: its failure passes the question on, that of
    // an earlier one does not (an earlier one may still answer, though).
    Ip _current;
    // Whether the server asked last still has the question: its answer or
    // the time-out is awaited. Once it failed with no server left to ask,
    // the lookup reports.
    bool _outstanding = false;
    // Reported should nothing better come: the last failed answer, or the
    // truncated one while TCP is tried.
    std::unique_ptr<Response> _kept;
    // Few: one per send at most.
    std::vector<Subscription> _subscriptions;
    Connecting* _connecting = nullptr;
};

} // namespace DNS
