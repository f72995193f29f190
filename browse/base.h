#pragma once

#include "browse/delayed.h"
#include "dns/message/ip.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace Kestrava
{
namespace Event
{
class Loop;
}
namespace Browse
{

class Failure;
class Handler;
class HttpConnection;

/**
 * The registry of a client's live connections and of the connection
 * requests that wait for room under the connection limit.
 */
class Base
{
public:
    Base(Event::Loop* loop, const DNS::Ip& local) : _loop(loop), _local(local) {}
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;
    /// Live connections go on by themselves; waiting requests are dropped;
    /// failures not yet reported still are.
    virtual ~Base();

    /// A connection is gone: waiting requests get connections while there
    /// is room.
    void remove(HttpConnection* connection);

    Event::Loop* loop() const { return _loop; }
    double timeout() const { return _timeout; }
    void timeout(double seconds) { _timeout = seconds; }
    size_t connectionLimit() const { return _connectionLimit; }
    /// A limit of 0 would leave every request waiting for ever: it counts
    /// as 1.
    void connectionLimit(size_t limit) { _connectionLimit = limit > 0 ? limit : 1; }

    /// Live connections, and connection requests waiting for room.
    size_t live() const { return _connections.size(); }
    size_t delayed() const { return _waiting.size(); }

protected:
    /// Opens the connection of a request; throws when it cannot start.
    virtual HttpConnection* open(const Delayed& request) = 0;
    /// Closes a connection that idles while a request waits for room.
    virtual void makeRoom() {}
    /// Opens the connection now, or queues the request without room.
    /// Throws when the connection cannot start.
    void request(const Delayed& request);
    /// Reports `message` to `handler` on the next loop iteration.
    void fail(const char* message, Browse::Handler* handler);
    /// Ends everything that runs, unreported: live connections are deleted,
    /// waiting requests and failures not yet reported dropped. Returns the
    /// handlers that were let go, so that they can be told.
    std::vector<Browse::Handler*> release();

    /// The owner is being destroyed: requests made from now on (from inside
    /// the reports of the teardown) open nothing and are only listed.
    void closeDown() { _closing = true; }
    /// Lists `handler` to be told "operation cancelled" when the client is
    /// going away; false, doing nothing, while it is not.
    bool cancelled(Browse::Handler* handler);
    /// Tells the listed handlers "operation cancelled", those listed by
    /// these reports included.
    void tellCancelled();

    Event::Loop* _loop;
    DNS::Ip _local;

private:
    double _timeout = 10.0;
    std::vector<HttpConnection*> _connections;
    std::deque<Delayed> _waiting;
    size_t _connectionLimit = 10;
    std::vector<Failure*> _failures;
    bool _closing = false;
    std::deque<Browse::Handler*> _cancelled;
};

} // namespace Browse
} // namespace Kestrava
