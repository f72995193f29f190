#pragma once

#include <cstddef>
#include <deque>
#include <sys/types.h>
#include <vector>

struct iovec;
typedef struct ssl_st SSL;

namespace AMQP
{

/// Octets waiting to be written, one block per add, written from the front.
class TcpOutBuffer
{
public:
    TcpOutBuffer() = default;
    TcpOutBuffer(TcpOutBuffer&& other) noexcept;
    TcpOutBuffer& operator=(TcpOutBuffer&& other) noexcept;
    TcpOutBuffer(const TcpOutBuffer&) = delete;
    TcpOutBuffer& operator=(const TcpOutBuffer&) = delete;

    /// Appends a copy.
    void add(const char* buffer, size_t size);
    size_t size() const { return _total; }
    explicit operator bool() const { return _total != 0; }
    /// Drops size octets from the front.
    void shrink(size_t size);
    /// Describes up to max blocks, the first from where writing stopped;
    /// returns how many.
    size_t fill(iovec* vector, size_t max) const;

    /// Writes as much as the socket takes; returns the octets written, or
    /// the failing result when nothing was.
    ssize_t sendto(int fd);
    /// One SSL_write of the first block; its result.
    int sendto(SSL* ssl);

private:
    std::deque<std::vector<char>> _blocks;
    size_t _skip = 0;
    size_t _total = 0;
};

} // namespace AMQP
