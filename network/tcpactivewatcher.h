#pragma once

#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "network/buffer.h"
#include "network/tcpwatcher.h"

namespace Kestrava
{
namespace Network
{

/**
 * The state of a connected socket: reads what the kernel holds into the
 * input buffer and reports it, writes directly and queues only what the
 * kernel did not take. Read interest always; write interest while output
 * is queued or an onWritable report was asked for. Writes never raise
 * SIGPIPE: a broken connection shows as an error and ends in onLost.
 */
class TcpActiveWatcher : public TcpWatcher, public Event::IoHandler
{
public:
    /// Takes over `pending` output (bytes written while connecting) when
    /// given, and starts on the socket's loop.
    explicit TcpActiveWatcher(TcpSocket* socket, Buffer* pending = nullptr);

    bool detach() override;
    bool attach(Event::Loop* loop) override;
    bool close() override;
    bool tlsStartable() const override;
    size_t write(const char* data, size_t size, bool buffer) override;
    size_t write(const iovec* vectors, size_t count, bool buffer) override;
    size_t buffer(const char* data, size_t size) override;
    size_t buffer(const iovec* vectors, size_t count, size_t skip) override;
    bool wait() override;
    void report() override;
    bool flush() override;
    bool readFilled() const override { return _filled; }
    /// Nothing queued, and one peek at the kernel's input: nothing there,
    /// not even a FIN or a reset.
    bool quiet() override;

    void onReadable(int fd) override;
    void onWritable(int fd) override;

protected:
    /// Read interest plus, when asked, write interest.
    void setInterest(bool writing);

    /// An end of the connection: orderly when the close was asked for and
    /// nothing is left to write, else lost; `orderly` when the peer ended
    /// its stream in order.
    void reportEnd(bool orderly = false);

    Event::IoWatcher _io;
    Event::Loop* _loop = nullptr;
    Buffer _output;
    Buffer _input;
    bool _closing = false;
    /// The last read filled its room.
    bool _filled = false;
};

} // namespace Network
} // namespace Kestrava
