#pragma once

#include "dns/message/ip.h"
#include "network/httpproxyhandler.h"
#include "network/sockshandler.h"
#include "network/tcphandler.h"

#include <cstdint>
#include <memory>

namespace Kestrava
{
namespace Network
{
class TcpSocket;
}
namespace Browse
{

class Proxy;

/**
 * Runs the handshake a connection's proxy speaks (SOCKS5 or HTTP CONNECT)
 * to reach a target, and turns its failures into messages.
 */
class ProxyHandshake : public Network::SocksHandler, public Network::HttpProxyHandler
{
public:
    /// Told exactly once how the handshake went; may destroy the
    /// ProxyHandshake inside either call. After a failure by the socket's
    /// end, the socket's own loss or close report follows.
    class Handler
    {
    public:
        virtual void onCompleted(const ProxyHandshake* handshake) { (void)handshake; }
        /// message() tells why.
        virtual void onFailed(const ProxyHandshake* handshake) { (void)handshake; }
        virtual ~Handler() = default;
    };

    /// For the target `ip`:`port` through `proxy`; neither the proxy nor
    /// the handler is owned.
    ProxyHandshake(const DNS::Ip& ip, uint16_t port, const Proxy* proxy, Handler* handler);

    ProxyHandshake(const ProxyHandshake&) = delete;
    ProxyHandshake& operator=(const ProxyHandshake&) = delete;

    /// Stops a running handshake; the socket must still exist.
    ~ProxyHandshake() override;

    /// Starts the handshake on a socket connected to the proxy; false when
    /// it cannot start.
    bool execute(Network::TcpSocket* socket);

    /// Why the handshake failed; null before a failure.
    const char* message() const { return _message; }

private:
    void onCompleted(Network::SocksHandshake* handshake, const Network::SocksReply& reply) override;
    void onFailed(Network::SocksHandshake* handshake) override;
    void onCompleted(Network::HttpProxyHandshake* handshake,
                     const Network::HttpProxyReply& reply) override;
    void onFailed(Network::HttpProxyHandshake* handshake) override;

    /// Ends the running handshake and tells the connection.
    void complete();
    void fail(const char* message);

    DNS::Ip _ip;
    uint16_t _port;
    const Proxy* _proxy;
    const char* _message = nullptr;
    Handler* _handler;
    /// The SOCKS5 or CONNECT handshake while it runs.
    std::unique_ptr<Network::TcpHandler> _running;
};

} // namespace Browse
} // namespace Kestrava
