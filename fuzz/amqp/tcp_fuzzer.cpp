// Feeds arbitrary octets as a broker's to a TcpConnection through its own
// socket on loopback: the connection reads them with process() on a libev
// loop, as in production. Whatever arrives, the connection must end with
// onDetached, its socket closed, and nothing touched after destruction; so
// must one whose connect never reaches the listener (a loaded machine may
// keep its resolver thread from running for seconds).
// (A TcpConnection makes its own socket, so the peer is a loopback
// listener rather than a socketpair.)
#include "amqp/address.h"
#include "amqp/libevhandler.h"
#include "amqp/tcpconnection.h"
#include "tests/amqp/loopback.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ev.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

class Handler : public AMQP::LibEvHandler
{
public:
    using LibEvHandler::LibEvHandler;
    void onDetached(AMQP::TcpConnection* connection) override
    {
        LibEvHandler::onDetached(connection);
        _detached = true;
    }
    bool _detached = false;
};

/// A loopback listener for the whole run.
int listener(uint16_t& port)
{
    static uint16_t listening = 0;
    static int fd = AMQPTest::listenOnLoopback(listening, 16);
    port = listening;
    return fd;
}

/// Accepts the client's connection while the loop runs; -1 when the client
/// detached (its connect failed) or nothing came within five seconds.
int acceptClient(int listening, struct ev_loop* loop, const Handler& handler)
{
    for (int turn = 0; turn < 5000 && !handler._detached; ++turn)
    {
        ev_run(loop, EVRUN_NOWAIT);
        pollfd waiting{listening, POLLIN, 0};
        if (poll(&waiting, 1, 1) == 1) return accept(listening, nullptr, nullptr);
    }
    return -1;
}

/// Closes connections left from an earlier input whose connect came too late.
void dropLateClients(int listening)
{
    pollfd waiting{listening, POLLIN, 0};
    while (poll(&waiting, 1, 0) == 1)
        close(accept(listening, nullptr, nullptr));
}

/// Reads what the client sent, without waiting; false once it closed.
bool drain(int peer)
{
    char octets[4096];
    ssize_t size;
    while ((size = recv(peer, octets, sizeof octets, MSG_DONTWAIT)) > 0)
    {
    }
    return size != 0;
}

/// Sends the octets as the broker's, ends the broker's side and runs the
/// loop until the client has detached (or for about a second).
void converse(int peer, const uint8_t* data, size_t size, struct ev_loop* loop,
              const Handler& handler)
{
    if (size > 0 && send(peer, data, size, MSG_NOSIGNAL) != ssize_t(size)) abort();
    shutdown(peer, SHUT_WR);
    for (int turn = 0; turn < 5000 && !handler._detached; ++turn)
    {
        ev_run(loop, EVRUN_NOWAIT);
        // The peer closes once the client has half-closed.
        if (peer >= 0 && !drain(peer))
        {
            close(peer);
            peer = -1;
        }
        if (!handler._detached) usleep(200);
    }
    if (peer >= 0) close(peer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint16_t port;
    int listening = listener(port);
    dropLateClients(listening);
    struct ev_loop* loop = ev_loop_new(EVFLAG_AUTO);
    {
        Handler handler(loop, 5);
        AMQP::TcpConnection connection(
            &handler, AMQP::Address("amqp://127.0.0.1:" + std::to_string(port) + "/"));
        int peer = acceptClient(listening, loop, handler);
        if (peer >= 0)
            converse(peer, data, size, loop, handler);
        else if (!handler._detached)
            // No broker to talk to: the connection must still end cleanly.
            connection.close(true);
        if (!handler._detached) abort();
        if (connection.fileno() != -1) abort();
    }
    ev_loop_destroy(loop);
    return 0;
}
