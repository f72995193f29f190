#pragma once

#include "browse/handler.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Kestrava
{
namespace Browse
{

class Queue;

/**
 * One request of a queue: it runs on the queue's addresses in turn until
 * one connects, those not set aside as unreachable first, or on a
 * kept-alive connection it takes over, and forwards the reports of its
 * connection to the user's handler. It ends (and deletes itself) with its
 * terminal report, or when it hands its kept-alive connection to a waiting
 * operation. A kept-alive connection that no operation waits for stays
 * with its operation a moment (idle()), counted among the queue's running
 * ones, for a request that comes soon. A repeatable request whose taken
 * connection the server closes before any byte of the answer, or answers
 * with 408, starts once more on a fresh connection, unheard by the user but
 * for the new offer.
 */
class Operation : public Browse::Handler
{
public:
    Operation(Queue* queue, uint16_t port, bool https, Browse::Handler* user)
        : _queue(queue), _port(port), _https(https), _user(user)
    {
    }

    /// Starts on the next address not yet tried; the queue's addresses must
    /// be known.
    void start();
    /// Whether a kept-alive connection fits the request: its scheme, its
    /// port and, over TLS, a certificate valid for the host.
    bool fits(const Connection& connection) const;
    /// Takes over a kept-alive connection that fits.
    void takeOver(Connection* connection);
    /// The user's handler, let go; the operation is deleted.
    Browse::Handler* cancel();
    /// The kept-alive connection held for the next request; null while the
    /// operation has a request of its own.
    Connection* idle() const { return _idle; }

    void onFailed(const char* message) override;
    void onExpired(Connection* connection) override;
    void onAvailable(Connection* connection) override;
    void onHeader(Connection* connection, const Header& header) override;
    void onReceived(Connection* connection, const char* data, size_t size) override;
    void onCompleted(Connection* connection) override;
    void onLost(Connection* connection) override;
    void onClosed(Connection* connection) override;

private:
    ~Operation() override = default;
    /// The operation is over: deleted, and the queue told.
    void end();
    /// The request goes once more, on a fresh connection.
    void repeat();
    /// The index of the address to try next: the first untried one that is
    /// not set aside, else the first untried one; the address count when
    /// all were tried.
    size_t next() const;

    Queue* _queue;
    uint16_t _port;
    bool _https;
    bool _keepAlive = false;
    /// Which of the queue's addresses were tried, by index.
    std::vector<bool> _tried;
    /// The index of the address being connected to, until it connects.
    std::optional<size_t> _connecting;
    /// Null once the user was told that the response completed.
    Browse::Handler* _user;
    Connection* _idle = nullptr;
    /// The connection was taken over, and the request not yet repeated.
    bool _reused = false;
    /// The server answered the request on a taken connection with 408: it
    /// goes again once the connection is gone.
    bool _timedOut = false;
};

} // namespace Browse
} // namespace Kestrava
