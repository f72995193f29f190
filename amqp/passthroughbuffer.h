#pragma once

#include "amqp/outbuffer.h"

#include <cstddef>

namespace AMQP
{

class Connection;
class ConnectionHandler;
class Frame;

/// Writes one frame straight to a handler's onData, without serialising it
/// into a block of its own first: small pieces are gathered in a staging
/// area of 4096 octets, a piece larger than that (a big body) passes
/// through uncopied. Lives for the writing of one frame; what is still
/// staged is delivered when it is destroyed.
class PassthroughBuffer : public OutBuffer
{
public:
    /// Writes frame and its end octet; connection and handler must outlive
    /// the buffer, and the handler must not destroy them during onData
    /// while the buffer lives (the caller guards that).
    PassthroughBuffer(Connection* connection, ConnectionHandler* handler, const Frame& frame);
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
};

} // namespace AMQP
