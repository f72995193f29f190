#pragma once

#include "amqp/libev/watcher.h"
#include "amqp/libevhandler.h"

#include <cstdint>
#include <list>
#include <memory>

namespace AMQP
{

class TcpConnection;

/// What a LibEvHandler keeps for one connection: its watchers and one
/// timer, armed for the nearer of two deadlines (the next heartbeat to
/// send, the time after which the connection counts as dead). The timer
/// never keeps the loop alive on its own; the prepare and idle watchers that
/// flush deferred output do, until one of them ran.
class Wrapper : private LibEvHandler::Watchable
{
public:
    /// Arms the start-up deadline of startupTimeout seconds.
    Wrapper(struct ev_loop* loop, TcpConnection* connection, double startupTimeout);
    ~Wrapper() override;
    Wrapper(const Wrapper&) = delete;
    Wrapper& operator=(const Wrapper&) = delete;

    TcpConnection* connection() const { return _connection; }
    void monitor(int fd, int flags);
    /// Heartbeat mode: replaces the start-up deadline.
    void negotiated(uint16_t interval);
    /// Flushes the connection before the loop next waits for events.
    void defer();

private:
    void onActive(int fd, int events) override;
    void onExpired() override;
    static void onTimer(struct ev_loop* loop, ev_timer* timer, int events);
    static void onPrepare(struct ev_loop* loop, ev_prepare* prepare, int events);
    static void onIdle(struct ev_loop* loop, ev_idle* idle, int events);
    /// Writes what defer held back.
    void flushDeferred();

    /// When the next heartbeat is due after now.
    double nextHeartbeat(double now) const;
    /// Arms the timer for the nearer deadline and lets the loop go.
    void arm(double now);

    TcpConnection* _connection;
    struct ev_loop* _loop;
    ev_timer _timer;
    ev_prepare _prepare;
    ev_idle _idle;
    std::list<std::unique_ptr<Watcher>> _watchers;
    double _next = 0;
    double _expire = 0;
    uint16_t _interval = 0;
};

} // namespace AMQP
