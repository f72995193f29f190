#pragma once

#include "amqp/buffers/bytebuffer.h"

#include <cstdint>
#include <sys/types.h>

typedef struct ssl_st SSL;

namespace AMQP
{

/// The input block of a connected socket: one malloc'd block, reused for
/// the connection's life, holding received octets from its start.
class TcpInBuffer : public ByteBuffer
{
public:
    explicit TcpInBuffer(size_t capacity);
    TcpInBuffer(TcpInBuffer&& other) noexcept;
    TcpInBuffer& operator=(TcpInBuffer&& other) noexcept;
    ~TcpInBuffer() override;

    /// Resizes the block; never below what it holds.
    void reallocate(size_t capacity);
    /// Drops the first size octets; the rest (less than a frame) moves to
    /// the front.
    void shrink(size_t size);

    /// Reads what fits into the block after the octets it holds, first
    /// growing it when the engine's next frame would not fit (with no
    /// negotiated frame limit a frame can outgrow it). Returns the read's
    /// result.
    ssize_t receivefrom(int fd, uint64_t expected);
    /// The same through TLS: SSL_read's result.
    int receivefrom(SSL* ssl, uint64_t expected);

private:
    /// Room for expected octets in all; false when memory ran out.
    bool reserve(uint64_t expected);

    char* block() const { return const_cast<char*>(_data); }

    size_t _capacity;
};

} // namespace AMQP
