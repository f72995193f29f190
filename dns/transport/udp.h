#pragma once

#include "dns/loop/monitor.h"
#include "dns/transport/socket.h"

#include <cstddef>

namespace DNS
{

class Inbox;
class Loop;
class Query;

/// A UDP socket to one name server, shared by the lookups that ask it.
/// Connected, so that the kernel neither looks the route up for each query
/// nor passes on datagrams from anyone else. Its descriptor is closed at the
/// first run of the Core that finds nobody waiting on it: lookups that
/// follow one another keep the socket, and the first one after a pause gets
/// a fresh source port from the kernel. A descriptor carries at most
/// `queriesPerPort` queries, so that a forger has the port to guess as well
/// as the id; then the next queries go out on another socket.
class Udp : public Socket, private Monitor
{
public:
    static constexpr unsigned queriesPerPort = 100;

    /// Reads into the inbox, which must outlive the socket.
    Udp(Loop* loop, Socket::Handler* handler, Inbox& inbox, const Ip& server, size_t buffersize);
    ~Udp() override;

    const Ip& server() const { return _server; }
    /// Sends the query to port 53 of the server; the socket on which its
    /// answer will arrive, or null when it could not be sent.
    Inbound* send(const Query& query);
    /// Whether the descriptor has carried its share of queries: it takes no
    /// more until it was closed.
    bool spent() const { return _queries >= queriesPerPort; }
    bool closed() const { return _fd < 0; }

    /// Closes the descriptor when nobody waits on it.
    void closeIdle();
    /// Also while an idle descriptor waits to be closed, or lookups wait to
    /// hear that the server's port refused.
    bool active() const override;
    /// Received messages first, then the news of a refusal.
    size_t process(size_t max) override;

    /// The send and receive buffer size of the next descriptor (0: the system's).
    void buffersize(size_t size) { _buffersize = size; }

private:
    void notify() override;
    void reset() override;
    bool open();
    void close();
    /// The port refused a datagram: the lookups waiting here are told at
    /// the next delivery.
    void refused();

    Loop* _loop;
    Inbox& _inbox;
    Ip _server;
    void* _identifier = nullptr;
    int _fd = -1;
    size_t _buffersize;
    // Queries sent on the descriptor.
    unsigned _queries = 0;
    // The port refused a datagram: the lookups waiting here are to be told.
    bool _refused = false;
};

} // namespace DNS
