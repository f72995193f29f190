#pragma once

#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "event/timerhandler.h"
#include "event/timerwatcher.h"
#include "network/buffer.h"
#include "network/tcpwatcher.h"

namespace Kestrava
{
namespace Network
{

/**
 * The state of a socket whose connect is under way: waits for writability
 * or the time-out, and keeps what is written meanwhile for the connected
 * state. Every outcome is reported from the loop, never from connect().
 */
class TcpConnectWatcher : public TcpWatcher, public Event::IoHandler, public Event::TimerHandler
{
public:
    /// Starts watching the socket's descriptor on its loop; a `timeout` of
    /// 0 reports on the next loop turn.
    TcpConnectWatcher(TcpSocket* socket, double timeout);

    bool detach() override;
    bool attach(Event::Loop* loop) override;
    bool close() override;
    /// Queues the bytes whatever `buffer` says: they go out once connected.
    size_t write(const char* data, size_t size, bool buffer) override;
    using TcpWatcher::write;

    void onWritable(int fd) override;
    void onExpired() override;

    /// The bytes written while connecting.
    Buffer& output() { return _output; }

private:
    Event::IoWatcher _io;
    Event::TimerWatcher _timer;
    Buffer _output;
    bool _closing = false;
};

} // namespace Network
} // namespace Kestrava
