#pragma once

#include "dns/transport/inbox.h"
#include "dns/transport/tcp.h"
#include "dns/transport/udp.h"
#include "dns/watchable.h"

#include <cstddef>
#include <list>
#include <memory>
#include <vector>

namespace DNS
{

class Connecting;
class Connector;
class Inbound;
class Ip;
class Loop;
class Query;

/// The sockets for the name servers of one address family: for each server
/// one UDP socket that takes new queries, shared by the lookups that ask it,
/// and those it replaced that still wait for answers (see Udp); and at most
/// one usable TCP connection per server.
class Sockets : public Watchable, private Tcp::Handler
{
public:
    /// Told when a socket has work for the next delivery.
    class Handler
    {
    public:
        /// For the next delivery; may not destroy the set.
        virtual void onActive(Sockets* sockets) = 0;
        /// From the loop's own callback: answers wait and may be delivered
        /// at once; may destroy the set.
        virtual void onReadable(Sockets* sockets) = 0;

    protected:
        virtual ~Handler() = default;
    };

    Sockets(Loop* loop, Handler* handler);

    /// The send and receive buffer size of every UDP socket, from its next opening.
    void buffersize(size_t size);

    /// Sends a query over UDP; the socket its answer will arrive on, null on failure.
    Inbound* datagram(const Ip& server, const Query& query);
    /// Subscribes the connector to a TCP connection to the server; null when
    /// none can be made.
    Connecting* connect(const Ip& server, Connector* connector);
    /// Offers received messages (and connection news) to the lookups until
    /// max lookups have finished; the number that finished. A callee may
    /// destroy the set, which ends the call.
    size_t deliver(size_t max);
    /// Whether some socket has work for the next delivery.
    bool active() const;
    /// Closes the UDP sockets that nobody waits on.
    void closeIdle();

private:
    void onActive(Socket* socket) override;
    void onReadable(Socket* socket) override;
    void onUnused(Tcp* connection) override;

    /// The UDP socket that takes the server's next query.
    Udp& taker(const Ip& server);

    Loop* _loop;
    Handler* _handler;
    // Before the sockets that read into it.
    Inbox _inbox;
    // Never shrinks: a closed socket is taken up again for its server.
    std::list<Udp> _udps;
    // One per server, among those of the list.
    std::vector<Udp*> _takers;
    size_t _buffersize = 0;
    // Shared handles, so that a delivery can walk weak copies while
    // connections leave the vector.
    std::vector<std::shared_ptr<Tcp>> _tcps;
};

} // namespace DNS
