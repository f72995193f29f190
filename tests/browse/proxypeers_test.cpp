#include "browse/proxyhandshake.h"

#include "openssl/sslcontext.h"
#include "tests/browse/proxyclient.h"
#include "tests/network/support/loopfixture.h"
#include "tests/network/support/peers.h"
#include "tests/network/support/scriptpeer.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/sserver.h"

#include <gtest/gtest.h>

using namespace Kestrava;
using Kestrava::Browse::Test::ProxyClient;
using Kestrava::Network::Test::ScriptPeer;
using Outcomes = std::vector<std::string>;

namespace
{

const DNS::Ip localhost("127.0.0.1");

/// Real proxies on loopback in front of a Python HTTP endpoint.
class ProxyPeersTest : public Network::Test::LoopFixture
{
protected:
    ProxyPeersTest()
    {
        uint16_t port = Network::Test::closedPort();
        _endpoint = std::make_unique<ScriptPeer>(
            std::vector<std::string>{"/usr/bin/python3", "-m", "http.server", std::to_string(port),
                                     "--bind", "127.0.0.1", "--directory", _files.path("")},
            port);
        _files.write("hello.txt", "hello through the tunnel\n");
    }

    std::unique_ptr<ScriptPeer> microsocks()
    {
        uint16_t port = Network::Test::closedPort();
        return std::make_unique<ScriptPeer>(
            std::vector<std::string>{"microsocks", "-i", "127.0.0.1", "-p", std::to_string(port)},
            port);
    }

    std::unique_ptr<ScriptPeer> tinyproxy()
    {
        uint16_t port = Network::Test::closedPort();
        // Without ConnectPort lines any port may be tunnelled; the packaged
        // configuration allows only 443 and 563.
        _files.write("tinyproxy.conf",
                     "Port " + std::to_string(port) + "\nListen 127.0.0.1\nAllow 127.0.0.1\n");
        return std::make_unique<ScriptPeer>(
            std::vector<std::string>{"tinyproxy", "-d", "-c", _files.path("tinyproxy.conf")}, port);
    }

    /// GETs the endpoint's file through `proxy` and returns the response.
    std::string fetch(const Browse::Proxy& proxy)
    {
        ProxyClient client(loop(), localhost, _endpoint->port(), proxy);
        client.onReport = [](Network::TcpSocket* socket, const std::string& report)
        {
            if (report != "completed") return;
            const std::string request = "GET /hello.txt HTTP/1.0\r\n\r\n";
            socket->write(request.data(), request.size(), true);
        };
        EXPECT_TRUE(client.connect());
        EXPECT_TRUE(runUntil([&] { return client.ended(); }));
        EXPECT_EQ(client.outcomes, Outcomes{"completed"});
        return client.input;
    }

    OpenSSL::Test::Scratch _files;
    std::unique_ptr<ScriptPeer> _endpoint;
};

} // namespace

TEST_F(ProxyPeersTest, TunnelThroughMicrosocksReachesTheEndpoint)
{
    auto proxy = microsocks();
    std::string response = fetch(Browse::Proxy(localhost, proxy->port(), true));
    EXPECT_EQ(response.compare(0, 12, "HTTP/1.0 200"), 0) << response;
    EXPECT_NE(response.find("hello through the tunnel"), std::string::npos) << response;
}

TEST_F(ProxyPeersTest, TunnelThroughTinyproxyReachesTheEndpoint)
{
    auto proxy = tinyproxy();
    std::string response = fetch(Browse::Proxy(localhost, proxy->port(), false));
    EXPECT_EQ(response.compare(0, 12, "HTTP/1.0 200"), 0) << response;
    EXPECT_NE(response.find("hello through the tunnel"), std::string::npos) << response;
}

TEST_F(ProxyPeersTest, TlsOverTunnelReachesServer)
{
    OpenSSL::Test::Pki pki;
    OpenSSL::SslContext context(true);
    auto proxy = microsocks();
    for (bool socks : {true, false})
    {
        SCOPED_TRACE(socks ? "SOCKS5" : "CONNECT");
        std::unique_ptr<ScriptPeer> connectProxy = socks ? nullptr : tinyproxy();
        uint16_t proxyPort = socks ? proxy->port() : connectProxy->port();
        OpenSSL::Test::SServer server(
            {"-cert", pki.path("leaf.pem"), "-key", pki.path("leaf.key")});
        Browse::Proxy tunnel(localhost, proxyPort, socks);
        ProxyClient client(loop(), localhost, static_cast<uint16_t>(server.port()), tunnel);
        client.onReport = [&](Network::TcpSocket* socket, const std::string& report)
        {
            if (report == "completed")
            {
                EXPECT_TRUE(socket->startTls(context, 5.0, "leaf.test"));
            }
            if (report == "secured") socket->close();
        };
        ASSERT_TRUE(client.connect());
        ASSERT_TRUE(runUntil([&] { return client.ended(); }));
        EXPECT_EQ(client.outcomes, Outcomes{"completed"});
        EXPECT_EQ(client.reports, (std::vector<std::string>{"connected", "secured", "closed"}));
    }
}
