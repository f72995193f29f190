#pragma once

#include "dns/loop/monitor.h"
#include "dns/transport/socket.h"

#include <cstddef>
#include <memory>

namespace DNS
{

class Loop;
class Query;

/// A UDP socket shared by the lookups that send through it. Its descriptor
/// is closed at the first timer run of the Core that finds nobody waiting on
/// it: lookups that follow one another keep the socket, and the first one
/// after a pause gets a fresh source port from the kernel.
class Udp : public Socket, private Monitor
{
public:
    Udp(Loop* loop, Socket::Handler* handler);
    ~Udp() override;

    /// Sends the query to port 53 of the server; the socket on which its
    /// answer will arrive, or null when it could not be sent.
    Inbound* send(const Ip& server, const Query& query);

    /// Closes the descriptor when nobody waits on it.
    void closeIdle();
    /// Also while an idle descriptor waits to be closed.
    bool active() const override;

    /// The send and receive buffer size of the next descriptor (0: the system's).
    void buffersize(size_t size) { _buffersize = size; }
    size_t buffersize() const { return _buffersize; }

private:
    void notify() override;
    void reset() override;
    bool open(int family);
    void close();

    Loop* _loop;
    void* _identifier = nullptr;
    int _fd = -1;
    size_t _buffersize = 0;
    struct Inbox;
    // Made on the first read.
    std::unique_ptr<Inbox> _inbox;
};

} // namespace DNS
