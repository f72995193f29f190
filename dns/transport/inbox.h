#pragma once

#include <memory>

namespace DNS
{

/// The buffers into which the UDP sockets of one set read several datagrams
/// at once: one for all of them, as a socket has copied what it read
/// before another reads. Made on the first read.
class Inbox
{
public:
    static constexpr unsigned batch = 16;

    Inbox();
    Inbox(const Inbox&) = delete;
    Inbox& operator=(const Inbox&) = delete;
    ~Inbox();

    /// Reads up to `count` datagrams, at most a batch, without waiting; the
    /// number read, or 0 or less for none (errno tells why).
    int read(int fd, unsigned count);
    /// Datagram `index` of the last read.
    const unsigned char* data(unsigned index) const;
    unsigned size(unsigned index) const;

private:
    struct Buffers;
    std::unique_ptr<Buffers> _buffers;
};

} // namespace DNS
