#pragma once

#include "browse/proxy.h"
#include "browse/proxyhandshake.h"
#include "dns/message/ip.h"
#include "network/tcpsocket.h"
#include "tests/network/support/recorder.h"

#include <gtest/gtest.h>

#include <string>

namespace Kestrava
{
namespace Browse
{
namespace Test
{

/**
 * A connection through a proxy, as the HTTP client makes one: the socket's
 * handler, which starts the proxy handshake once connected and records its
 * outcome ("completed" or the failure message) beside the socket's reports.
 * A failed handshake closes the socket.
 */
class ProxyClient : public Network::Test::Recorder, public ProxyHandshake::Handler
{
public:
    ProxyClient(Event::Loop* loop, const DNS::Ip& target, uint16_t port, const Proxy& proxy)
        : proxy(proxy), socket(loop, this), handshake(target, port, &this->proxy, this)
    {
        action = [this](Network::TcpSocket* socket, const std::string& report)
        {
            if (report == "connected")
            {
                EXPECT_TRUE(handshake.execute(socket));
            }
            if (onReport) onReport(socket, report);
        };
    }

    bool connect() { return socket.connect(proxy.ip(), proxy.port(), 5.0); }

    void onCompleted(const ProxyHandshake*) override
    {
        // The socket is given back before anyone hears the outcome.
        EXPECT_EQ(socket.handler(), static_cast<Network::TcpHandler*>(this));
        outcomes.push_back("completed");
        if (onReport) onReport(&socket, "completed");
    }

    void onFailed(const ProxyHandshake* failed) override
    {
        EXPECT_EQ(socket.handler(), static_cast<Network::TcpHandler*>(this));
        outcomes.push_back(failed->message() != nullptr ? failed->message() : "(none)");
        socket.close();
    }

    /// The handshake's outcome and the socket's end both arrived.
    bool done() const { return !outcomes.empty() && (ended() || outcomes[0] == "completed"); }

    /// Runs after each report, "completed" included.
    std::function<void(Network::TcpSocket*, const std::string&)> onReport;

    std::vector<std::string> outcomes;
    const Proxy proxy;
    Network::TcpSocket socket;
    ProxyHandshake handshake;
};

} // namespace Test
} // namespace Browse
} // namespace Kestrava
