// Feeds arbitrary proxy answers, in arbitrary pieces, to the SOCKS5 and
// HTTP CONNECT handshakes, as the socket would hand them over.
//
// Input: the first byte picks the handshake (low bit) and the piece size
// (the rest); the remaining bytes are the proxy's answer.
#include "browse/proxy.h"
#include "browse/proxyhandshake.h"
#include "dns/message/ip.h"
#include "event/threadloop.h"
#include "network/buffer.h"
#include "network/tcphandler.h"
#include "network/tcpsocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

using namespace Kestrava;

/// The connection's side: takes the tunnel's bytes and the outcome.
class Connection : public Network::TcpHandler, public Browse::ProxyHandshake::Handler
{
public:
    void onData(Network::TcpSocket*, Network::Buffer* buffer) override
    {
        buffer->shrink(buffer->size());
    }
    void onCompleted(const Browse::ProxyHandshake*) override { ended = true; }
    void onFailed(const Browse::ProxyHandshake* handshake) override
    {
        if (handshake->message() == nullptr) std::abort();
        ended = true;
    }

    bool ended = false;
};

/// One loopback connection for the whole run, made once: the handshakes
/// write their requests on it and a peer socket drops them.
struct Link
{
    Link() : socket(&loop, &connection)
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            std::abort();
        if (!socket.connect(DNS::Ip("127.0.0.1"), ntohs(address.sin_port), 5.0)) std::abort();
        peer = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        while (socket.state() != Network::TcpSocket::established)
            ev_run(loop.loop(), EVRUN_ONCE);
    }

    void drain()
    {
        char sink[4096];
        while (::recv(peer, sink, sizeof sink, 0) > 0)
        {
        }
        ev_run(loop.loop(), EVRUN_NOWAIT);
    }

    Event::ThreadLoop loop;
    Connection connection;
    Network::TcpSocket socket;
    int listener;
    int peer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Link link;
    if (size < 1) return 0;
    bool socks = (data[0] & 1) != 0;
    size_t piece = std::max<size_t>(data[0] >> 1, 1);
    ++data;
    --size;

    Browse::Proxy proxy(DNS::Ip("127.0.0.1"), 1080, socks);
    Browse::ProxyHandshake handshake(DNS::Ip(socks ? "::1" : "127.0.0.1"), 8080, &proxy,
                                     &link.connection);
    link.connection.ended = false;
    link.socket.setHandler(&link.connection);
    if (!handshake.execute(&link.socket)) std::abort();

    Network::Buffer input;
    for (size_t done = 0; done < size && !link.connection.ended; done += piece)
    {
        input.append(reinterpret_cast<const char*>(data) + done, std::min(piece, size - done));
        link.socket.handler()->onData(&link.socket, &input);
    }
    link.drain();
    return 0;
}
