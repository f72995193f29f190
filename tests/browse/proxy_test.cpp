#include "browse/proxy.h"

#include "tests/browse/contextfixture.h"
#include "tests/network/support/peers.h"
#include "tests/network/support/scriptpeer.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Kestrava::Browse::Proxy;
using Kestrava::Network::Test::ScriptPeer;
using Testing::ContextTest;

namespace
{

using Events = ContextTest::Events;

/// Requests through microsocks (SOCKS5) and tinyproxy (HTTP CONNECT).
class ProxyTest : public ContextTest
{
protected:
    std::unique_ptr<ScriptPeer> microsocks()
    {
        uint16_t port = Kestrava::Network::Test::closedPort();
        return std::make_unique<ScriptPeer>(
            std::vector<std::string>{"microsocks", "-i", "127.0.0.1", "-p", std::to_string(port)},
            port);
    }
    std::unique_ptr<ScriptPeer> tinyproxy()
    {
        uint16_t port = Kestrava::Network::Test::closedPort();
        // Without ConnectPort lines any port may be tunnelled.
        files.write("tinyproxy.conf",
                    "Port " + std::to_string(port) + "\nListen 127.0.0.1\nAllow 127.0.0.1\n");
        return std::make_unique<ScriptPeer>(
            std::vector<std::string>{"tinyproxy", "-d", "-c", files.path("tinyproxy.conf")}, port);
    }

    Kestrava::OpenSSL::Test::Scratch files;
};

TEST_F(ProxyTest, PlainAndSecureRequestsGetTheirAnswers)
{
    auto socks = microsocks();
    auto connect = tinyproxy();
    for (const Proxy& proxy : {Proxy(DNS::Ip("127.0.0.1"), socks->port(), true),
                               Proxy(DNS::Ip("127.0.0.1"), connect->port(), false)})
    {
        SCOPED_TRACE(proxy.socks5() ? "SOCKS5" : "CONNECT");
        context->proxy(&proxy);
        auto plain = request("http://dual.test:PORT/p?body=plain");
        EXPECT_EQ(answered, plain[0]->events);
        EXPECT_EQ("plain", plain[0]->body);
        auto secure = request("https://secure.test:CA/s?body=secure");
        EXPECT_EQ(answered, secure[0]->events);
        EXPECT_EQ("secure", secure[0]->body);
        EXPECT_EQ((std::vector<std::string>{"1 1"}), secure[0]->security);
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return context->live() == 0; }));
    }
}

TEST_F(ProxyTest, FailedHandshakeIsOneFailureInTheProxysWords)
{
    auto socks = microsocks();
    auto connect = tinyproxy();
    Proxy viaSocks(DNS::Ip("127.0.0.1"), socks->port(), true);
    context->proxy(&viaSocks);
    EXPECT_EQ((Events{"failed Connection refused"}), request("http://127.0.0.3:PORT/")[0]->events);
    Proxy viaConnect(DNS::Ip("127.0.0.1"), connect->port(), false);
    context->proxy(&viaConnect);
    EXPECT_EQ((Events{"failed request failed"}), request("http://127.0.0.3:PORT/")[0]->events);
    // No proxy there at all.
    Proxy nobody(DNS::Ip("127.0.0.1"), Kestrava::Network::Test::closedPort(), false);
    context->proxy(&nobody);
    EXPECT_EQ((Events{"failed Connect failure"}), request("http://dual.test:PORT/")[0]->events);
}

} // namespace
