#pragma once

#include "dns/loop/monitor.h"
#include "dns/message/ip.h"
#include "dns/message/query.h"
#include "dns/transport/connecting.h"
#include "dns/transport/socket.h"

#include <deque>
#include <map>
#include <set>
#include <vector>

namespace DNS
{

class Connector;
class Loop;

/// A TCP connection to one name server (RFC 1035 4.2.2, RFC 7766), shared by
/// the lookups whose UDP answers were truncated.
///
/// States: connecting (watched for writability) -> connected (watched for
/// readability; queries can be sent) -> lost (the peer closed or a read
/// failed); or connecting -> failed (the connection could not be made, or a
/// queued send failed). Lookups hear of every change at the next delivery
/// (process), never from inside the loop's callback.
class Tcp : public Socket, private Monitor, private Connecting
{
public:
    /// The owner, told when nobody uses the connection any more; it then
    /// destroys it.
    class Handler : public Socket::Handler
    {
    public:
        virtual void onUnused(Tcp* connection) = 0;
    };

    /// Starts connecting; throws "failed to create socket" or "failed to connect".
    Tcp(Loop* loop, const Ip& server, Handler* handler);
    ~Tcp() override;

    const Ip& ip() const { return _server; }

    /// Sends a query (or queues it while a query with the same id is
    /// outstanding); the socket its answer will arrive on, null on failure.
    Inbound* send(const Query& query);
    /// Asks to be told onConnected (or onFailure) at the next delivery; null
    /// when the connection failed or broke and takes nobody new.
    Connecting* subscribe(Connector* connector);

    size_t process(size_t max) override;
    bool active() const override;

private:
    enum State
    {
        connecting,
        failed,
        connected,
        lost
    };

    void notify() override;
    void unsubscribe(Connector* connector) override;
    void reset() override;
    void onReceivedId(unsigned short id) override;

    void upgrade();
    void read();
    bool transmit(const Query& query);
    void fail(State state);

    Loop* _loop;
    Ip _server;
    int _fd;
    unsigned char _prefix[2] = {};
    std::vector<unsigned char> _buffer;
    // Bytes of the current message read so far, the prefix included.
    size_t _read = 0;
    void* _identifier = nullptr;
    State _state = connecting;
    std::set<unsigned short> _outstanding;
    // Queries that wait because one with the same id is outstanding: the
    // answers could not be told apart otherwise.
    std::multimap<unsigned short, Query> _queued;
    std::deque<Connector*> _connectors;
};

} // namespace DNS
