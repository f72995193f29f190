#pragma once

#include "dns/lookup/lookup.h"
#include "dns/message/ip.h"
#include "dns/transport/connector.h"
#include "dns/transport/processor.h"

#include <memory>
#include <utility>
#include <vector>

namespace DNS
{

class Connecting;
class Inbound;
class Response;

/// A lookup sent to the name servers: over UDP to each server in turn, one
/// attempt per interval, then over TCP to the server whose answer was
/// truncated.
///
/// States: waiting (not yet started) -> scheduled (attempts left) ->
/// ready (attempts used up, or on TCP) -> finished (reported, and freed).
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
    bool onConnected(const Ip& server, Tcp* connection) override;
    bool onFailure(const Ip& server) override;

    bool tcp() const { return _connections > 0; }
    /// On TCP, or every UDP attempt made: only an answer or the time-out is left.
    bool sendsNoMore() const;
    /// Reports a time-out.
    void expire();
    /// Reports an answer (or, for NXDOMAIN of a name the hosts table knows,
    /// an empty NOERROR answer).
    void report(const Response& response);
    /// For NXDOMAIN: reports an empty answer instead when the hosts table
    /// knows the name; false when it does not.
    bool reportKnown(Handler* handler, const Response& response);
    /// Reports the truncated UDP answer kept while TCP was tried.
    void reportTruncated();
    /// Leaves every socket and connection; done before any report, so that
    /// nothing refers to the lookup once its handler runs.
    void unsubscribe();

    double _last = 0;
    unsigned _sent = 0;
    unsigned _connections = 0;
    // Where in the server list the attempts start when rotating.
    unsigned _rotation;
    std::unique_ptr<Response> _truncated;
    // Few: one per attempt at most.
    std::vector<std::pair<Inbound*, Ip>> _subscriptions;
    Connecting* _connecting = nullptr;
};

} // namespace DNS
