#pragma once

#include "amqp/buffers/outbuffer.h"

#include <cstddef>

namespace AMQP
{

class Connection;
class ConnectionHandler;
class Frame;
class Monitor;

/// Writes one frame straight to a handler's onData, without serialising it
/// into a block of its own first: small pieces are gathered in a staging
/// area of 4096 octets, a piece larger than that (a big body) passes
/// through uncopied. Lives for the writing of one frame; what is still
/// staged is delivered when it is destroyed. The handler may destroy the
/// connection in any onData: the rest of the frame is then dropped.
class PassthroughBuffer : public OutBuffer
{
public:
    /// Writes frame and its end octet for connection as long as monitor,
    /// which watches the connection, stays valid; the handler and the
    /// monitor must outlive the buffer.
    PassthroughBuffer(Connection* connection, ConnectionHandler* handler, const Frame& frame,
                      const Monitor& monitor);
    ~PassthroughBuffer() override;

    PassthroughBuffer(const PassthroughBuffer&) = delete;
    PassthroughBuffer& operator=(const PassthroughBuffer&) = delete;

    void append(const char* data, size_t count) override;

private:
    static constexpr size_t capacity = 4096;

    void deliver();

    char _staging[capacity];
    size_t _staged = 0;
    Connection* _connection;
    ConnectionHandler* _handler;
    const Monitor& _monitor;
};

} // namespace AMQP
