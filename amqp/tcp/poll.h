#pragma once

#include <poll.h>

namespace AMQP
{

/// A zero-time readiness probe of one descriptor.
class Poll
{
public:
    explicit Poll(int fd) : _fd(fd) {}

    bool readable() const { return ready(POLLIN); }
    bool writable() const { return ready(POLLOUT); }

private:
    bool ready(short events) const
    {
        pollfd descriptor{_fd, events, 0};
        return ::poll(&descriptor, 1, 0) >= 1;
    }

    int _fd;
};

} // namespace AMQP
