#include "dns/transport/inbox.h"

#include "dns/message/query.h"

#include <sys/socket.h>

namespace DNS
{

/// Set up once: each datagram's header points at its buffer.
struct Inbox::Buffers
{
    Buffers()
    {
        for (unsigned i = 0; i < batch; ++i)
        {
            vectors[i] = {data[i], sizeof data[i]};
            headers[i] = {};
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
        }
    }

    // No answer over UDP is larger than our queries advertise.
    unsigned char data[batch][Query::ednsPayload];
    iovec vectors[batch];
    mmsghdr headers[batch];
};

Inbox::Inbox() = default;

Inbox::~Inbox() = default;

int Inbox::read(int fd, unsigned count)
{
    if (!_buffers) _buffers = std::make_unique<Buffers>();
    return recvmmsg(fd, _buffers->headers, count < batch ? count : batch, MSG_DONTWAIT, nullptr);
}

const unsigned char* Inbox::data(unsigned index) const
{
    return _buffers->data[index];
}

unsigned Inbox::size(unsigned index) const
{
    return _buffers->headers[index].msg_len;
}

} // namespace DNS
