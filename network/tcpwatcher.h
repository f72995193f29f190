#pragma once

#include <sys/uio.h>

#include <cstddef>

namespace Kestrava
{
namespace Event
{
class Loop;
}
namespace Network
{

class TcpSocket;

/**
 * What a TcpSocket does in one phase of its life: connecting, listening,
 * connected, or connected over TLS. The socket owns exactly one and
 * replaces it at each transition. The base does nothing and accepts
 * nothing.
 */
class TcpWatcher
{
public:
    explicit TcpWatcher(TcpSocket* socket) : _socket(socket) {}

    TcpWatcher(const TcpWatcher&) = delete;
    TcpWatcher& operator=(const TcpWatcher&) = delete;

    virtual ~TcpWatcher() = default;

    /// Stops every watcher.
    virtual bool detach() { return false; }
    /// Starts the watchers on another loop.
    virtual bool attach(Event::Loop* loop)
    {
        (void)loop;
        return false;
    }
    /// Starts an orderly close.
    virtual bool close() { return false; }
    virtual bool tlsStartable() const { return false; }

    /// Writes now what the kernel takes; with `buffer` queues the rest.
    /// Returns the bytes accepted.
    virtual size_t write(const char* data, size_t size, bool buffer);
    /// Writes vector by vector, stopping after one not written whole.
    virtual size_t write(const iovec* vectors, size_t count, bool buffer);

    /// Queues without writing now; returns the bytes queued.
    virtual size_t buffer(const char* data, size_t size);
    /// Queues the bytes of the vectors after the first `skip`.
    virtual size_t buffer(const iovec* vectors, size_t count, size_t skip);

    /// Asks for one onWritable report once the queued output is written.
    virtual bool wait() { return false; }
    /// Reports input that is still held.
    virtual void report() {}
    /// Writes all queued output synchronously.
    virtual bool flush() { return false; }
    /// Whether the last read took all the room it had, so that more input
    /// may have arrived with it.
    virtual bool readFilled() const { return false; }
    /// Whether nothing is on its way either way: no output queued, and the
    /// peer has sent nothing that waits to be read, neither bytes nor the
    /// end of its stream; one non-blocking call.
    virtual bool quiet() { return false; }

    /// The socket after a move.
    void setSocket(TcpSocket* socket) { _socket = socket; }

protected:
    TcpSocket* _socket;
};

} // namespace Network
} // namespace Kestrava
