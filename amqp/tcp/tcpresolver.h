#pragma once

#include "amqp/connectionorder.h"
#include "amqp/tcp/pipe.h"
#include "amqp/tcp/tcpextstate.h"
#include "amqp/tcp/tcpoutbuffer.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

struct addrinfo;

namespace AMQP
{

/// The first state: a thread of its own resolves the host name and
/// connects, then wakes the event loop through a pipe whose read end the
/// handler watches. What the engine sends meanwhile is held and handed on.
///
/// The thread writes only _found, _error and the pipe, and publishes them
/// through _finished; the loop thread reads them only after that (fileno()
/// stays -1 until then), so the two never race.
class TcpResolver : public TcpExtState
{
public:
    /// Asks to watch the pipe, then starts the thread. A negative time-out
    /// counts as 0: one poll without waiting.
    TcpResolver(TcpParent* parent, std::string hostname, uint16_t port, bool secure, int timeout,
                const ConnectionOrder& order);
    /// Unwatches the pipe and waits for the thread; a socket it connected
    /// that no state took over is closed without a word to the handler.
    ~TcpResolver() override;

    TcpState* process(const Monitor& monitor, int fd, int flags) override;
    void send(const char* buffer, size_t size) override { _buffer.add(buffer, size); }
    size_t queued() const override { return _buffer.size(); }

private:
    /// The thread: resolves, then tries each address until one connects.
    void run();
    /// Connects to one address within the time-out: the socket, or -1
    /// with _error set.
    int connect(const ::addrinfo* entry);
    /// On the loop thread, once the thread has finished.
    TcpState* proceed(const Monitor& monitor);
    TcpState* failed(const Monitor& monitor, const char* message);

    const std::string _hostname;
    const bool _secure;
    const uint16_t _port;
    const int _timeout;
    Pipe _pipe;
    std::string _error;
    TcpOutBuffer _buffer;
    const ConnectionOrder _order;
    int _found = -1;
    std::atomic<bool> _finished{false};
    std::thread _thread;
};

} // namespace AMQP
