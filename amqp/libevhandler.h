#pragma once

#include "amqp/tcphandler.h"

#include <list>
#include <memory>

struct ev_loop;

namespace AMQP
{

class Wrapper;

/// A TcpHandler on a libev loop: it watches the descriptors its
/// connections ask for, accepts the broker's heartbeat interval, sends
/// heartbeats at half of it and closes a connection from which nothing was
/// read for one and a half intervals, or that without heartbeats is still
/// in its handshake 60 seconds (startupTimeout) after its first watch
/// request. Output a connection has outside a read goes out in one write
/// just before the loop next waits. One handler may serve several
/// connections; it must run on the loop's thread. A subclass that overrides
/// onDetached or onDestroyed must call this class's version.
class LibEvHandler : public TcpHandler
{
public:
    /// The interface the watchers and timers of a record call.
    class Watchable
    {
    public:
        virtual ~Watchable() = default;
        virtual void onActive(int fd, int events) = 0;
        virtual void onExpired() = 0;
    };

    explicit LibEvHandler(struct ev_loop* loop, double startupTimeout = 60);
    ~LibEvHandler() override;

    LibEvHandler(const LibEvHandler&) = delete;
    LibEvHandler& operator=(const LibEvHandler&) = delete;

    void monitor(TcpConnection* connection, int fd, int flags) override;
    /// Flushes the connection before the loop next waits for events.
    bool defer(TcpConnection* connection) override;
    /// Accepts the broker's interval.
    uint16_t onNegotiate(TcpConnection* connection, uint16_t interval) override;
    void onDetached(TcpConnection* connection) override;
    void onDestroyed(TcpConnection* connection) override;

private:
    Wrapper* find(TcpConnection* connection);
    Wrapper& record(TcpConnection* connection);
    void forget(TcpConnection* connection);

    struct ev_loop* _loop;
    double _startupTimeout;
    std::list<std::unique_ptr<Wrapper>> _wrappers;
};

} // namespace AMQP
