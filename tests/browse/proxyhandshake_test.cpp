#include "browse/proxyhandshake.h"

#include "network/httpproxyhandshake.h"
#include "network/sockshandshake.h"
#include "tests/browse/proxyclient.h"
#include "tests/browse/scriptedproxy.h"
#include "tests/network/support/loopfixture.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Kestrava;
using namespace Kestrava::Browse::Test;
using Kestrava::Network::Test::readAll;
using Kestrava::Network::Test::readSome;
using Kestrava::Network::Test::writeAll;
using Outcomes = std::vector<std::string>;

namespace
{

const DNS::Ip localhost("127.0.0.1");
const std::string socksGreeting = bytes({5, 1, 0});
const std::string socksAccepted = bytes({5, 0});
/// A success naming the bound host "proxy.test" (type 3, ten bytes).
const std::string socksNameReply = bytes({5, 0, 0, 3, 10}) + "proxy.test" + bytes({0x1f, 0x90});
const std::string connectReply = "HTTP/1.1 200 Connection established\r\n\r\n";
/// The texts of the SOCKS5 reply codes 1 to 8, then of any other code.
const std::vector<std::string> socksCodeTexts = {"general SOCKS server failure",
                                                 "connection not allowed by ruleset",
                                                 "Network unreachable",
                                                 "Host unreachable",
                                                 "Connection refused",
                                                 "TTL expired",
                                                 "Command not supported",
                                                 "Address type not supported",
                                                 "unassigned"};

class ProxyHandshakeTest : public Network::Test::LoopFixture
{
protected:
    /// Connects through `proxy` to 127.0.0.1:8080 and runs until the
    /// handshake's outcome and, on failure, the socket's end.
    std::unique_ptr<ProxyClient> run(const Browse::Proxy& proxy, const DNS::Ip& target = localhost)
    {
        auto client = std::make_unique<ProxyClient>(loop(), target, 8080, proxy);
        EXPECT_TRUE(client->connect());
        EXPECT_TRUE(runUntil([&] { return client->done(); }));
        return client;
    }

    /// Connects through `proxy` and expects the handshake to complete and
    /// the tunnel to carry "after" to the socket's handler.
    void expectTunnel(const Browse::Proxy& proxy)
    {
        auto client = std::make_unique<ProxyClient>(loop(), localhost, 8080, proxy);
        ASSERT_TRUE(client->connect());
        ASSERT_TRUE(runUntil([&] { return client->input == "after"; }));
        client->socket.close();
        EXPECT_EQ(client->outcomes, Outcomes{"completed"});
    }

    /// The failure message of a SOCKS5 proxy that accepts the greeting,
    /// answers the request with `reply` and closes.
    std::string socksFailure(const std::string& reply)
    {
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                readSome(connection, 3);
                writeAll(connection, socksAccepted);
                readSome(connection, 10);
                writeAll(connection, reply);
            });
        auto client = run(proxy.socks5());
        EXPECT_EQ(client->outcomes.size(), 1u);
        return client->outcomes.empty() ? "" : client->outcomes[0];
    }

    /// The failure message of a CONNECT proxy that answers with `reply` and
    /// closes.
    std::string connectFailure(const std::string& reply)
    {
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                readHead(connection);
                writeAll(connection, reply);
            });
        auto client = run(proxy.http());
        EXPECT_EQ(client->outcomes.size(), 1u);
        return client->outcomes.empty() ? "" : client->outcomes[0];
    }
};

} // namespace

TEST_F(ProxyHandshakeTest, SocksTunnelHandsOnTheBytesBehindTheReply)
{
    std::string greeting, request;
    ScriptedProxy proxy(
        [&](const Socket& connection)
        {
            greeting = readSome(connection, 3);
            writeAll(connection, socksAccepted);
            request = readSome(connection, 10);
            writeAll(connection, socksNameReply + "after");
            readAll(connection);
        });
    expectTunnel(proxy.socks5());
    EXPECT_EQ(greeting, socksGreeting);
    EXPECT_EQ(request, bytes({5, 1, 0, 1, 127, 0, 0, 1, 0x1f, 0x90}));
}

TEST_F(ProxyHandshakeTest, SocksRequestForIpv6IsTwentyTwoBytes)
{
    std::string request;
    ScriptedProxy proxy(
        [&](const Socket& connection)
        {
            readSome(connection, 3);
            writeAll(connection, socksAccepted);
            request = readSome(connection, 22);
            writeAll(connection,
                     bytes({5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 80}));
            readAll(connection);
        });
    auto client = run(proxy.socks5(), DNS::Ip("::1"));
    client->socket.close();
    EXPECT_EQ(client->outcomes, Outcomes{"completed"});
    EXPECT_EQ(request,
              bytes({5, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x1f, 0x90}));
}

TEST_F(ProxyHandshakeTest, SocksRefusalsCarryTheirCodeTexts)
{
    for (int code = 1; code <= 9; ++code)
        EXPECT_EQ(socksFailure(bytes({5, code, 0, 1, 10, 0, 0, 1, 0, 80})),
                  socksCodeTexts[code - 1])
            << code;
    EXPECT_EQ(socksFailure(bytes({5, 0xFF, 0, 1, 10, 0, 0, 1, 0, 80})), "unassigned");
}

TEST_F(ProxyHandshakeTest, SocksBrokenRepliesFail)
{
    // Another version or address type fails at once: the length is unknowable.
    EXPECT_EQ(socksFailure(bytes({4, 0, 0, 1, 10})), "incomplete proxy reply");
    EXPECT_EQ(socksFailure(bytes({5, 0, 0, 2, 10})), "incomplete proxy reply");
    EXPECT_EQ(socksFailure(bytes({5, 0, 0, 1, 10, 0, 0})),
              "proxy server unexpectedly closed connection");
}

TEST_F(ProxyHandshakeTest, SocksMethodRepliesFail)
{
    struct Case
    {
        std::string answer;
        std::string text;
    } cases[] = {
        {bytes({5, 0xFF}), "authentication unacceptable"},
        {bytes({5, 2}), "authentication unacceptable"},
        {bytes({4, 0}), "unknown SOCKS protocol version"},
        {bytes({5}), "proxy server unexpectedly closed connection"},
        {"", "proxy server unexpectedly closed connection"},
    };
    for (const Case& test : cases)
    {
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                readSome(connection, 3);
                writeAll(connection, test.answer);
            });
        auto client = run(proxy.socks5());
        EXPECT_EQ(client->outcomes, Outcomes{test.text});
        EXPECT_TRUE(client->saw("closed") || client->saw("lost"));
    }
}

TEST_F(ProxyHandshakeTest, SocksAnswerSplitAtEveryByteSucceeds)
{
    std::string answer = socksAccepted + socksNameReply + "after";
    for (size_t at = 1; at < answer.size(); ++at)
    {
        SCOPED_TRACE(at);
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                readSome(connection, 3);
                // The request is sent only after the method reply.
                if (at >= socksAccepted.size())
                {
                    writeAll(connection, socksAccepted);
                    readSome(connection, 10);
                    writeSplit(connection, answer.substr(2), at - 2);
                }
                else
                {
                    writeSplit(connection, answer.substr(0, 2), at);
                    readSome(connection, 10);
                    writeAll(connection, answer.substr(2));
                }
                readAll(connection);
            });
        expectTunnel(proxy.socks5());
    }
}

TEST_F(ProxyHandshakeTest, ConnectRequestIsExactAndTunnelFollows)
{
    std::string request;
    ScriptedProxy proxy(
        [&](const Socket& connection)
        {
            request = readHead(connection);
            writeAll(connection, connectReply + "after");
            readAll(connection);
        });
    expectTunnel(proxy.http());
    EXPECT_EQ(request, "CONNECT 127.0.0.1:8080 HTTP/1.1\r\n\r\n");
}

TEST_F(ProxyHandshakeTest, ConnectWritesIpv6TargetInBrackets)
{
    std::string request;
    ScriptedProxy proxy(
        [&](const Socket& connection)
        {
            request = readHead(connection);
            writeAll(connection, "HTTP/1.0 200 OK\r\n\r\n");
            readAll(connection);
        });
    auto client = run(proxy.http(), DNS::Ip("::1"));
    client->socket.close();
    EXPECT_EQ(client->outcomes, Outcomes{"completed"});
    EXPECT_EQ(request, "CONNECT [::1]:8080 HTTP/1.1\r\n\r\n");
}

TEST_F(ProxyHandshakeTest, ConnectFailuresHaveTheirTexts)
{
    EXPECT_EQ(connectFailure("HTTP/1.1 407 Proxy Authentication Required\r\n\r\n"),
              "request failed");
    EXPECT_EQ(connectFailure("HTTP/1.1 199 Early\r\n\r\n"), "request failed");
    EXPECT_EQ(connectFailure("HTTP/1.1 300 Moved\r\n\r\n"), "request failed");
    EXPECT_EQ(connectFailure("HTTP/1.1 20\r\n\r\n"), "invalid reply received from server");
    EXPECT_EQ(connectFailure("SSH-2.0-x 200 yes\r\n\r\n"), "invalid reply received from server");
    EXPECT_EQ(connectFailure("HTTP/1.1 200 OK\r\n"), "incomplete reply received from server");
    EXPECT_EQ(connectFailure(""), "incomplete reply received from server");
}

TEST_F(ProxyHandshakeTest, ConnectReplyHeadWithoutEndIsRefusedNotGrown)
{
    ScriptedProxy proxy(
        [&](const Socket& connection)
        {
            readHead(connection);
            writeAll(connection, "HTTP/1.1 200 OK\r\n");
            // Header lines without end; the client gives up long before.
            try
            {
                for (int i = 0; i < 1000; ++i)
                    writeAll(connection, "X-Filler: " + std::string(100, 'f') + "\r\n");
            }
            catch (const std::exception&)
            {
            }
            readAll(connection);
        });
    auto client = run(proxy.http());
    EXPECT_EQ(client->outcomes, Outcomes{"incomplete reply received from server"});
}

TEST_F(ProxyHandshakeTest, ConnectReplySplitAtEveryByteSucceeds)
{
    std::string answer = connectReply + "after";
    for (size_t at = 1; at < answer.size(); ++at)
    {
        SCOPED_TRACE(at);
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                readHead(connection);
                writeSplit(connection, answer, at);
                readAll(connection);
            });
        expectTunnel(proxy.http());
    }
}

TEST_F(ProxyHandshakeTest, GarbledAnswersGiveOneKnownText)
{
    std::vector<std::string> known = {
        "completed",
        "unknown SOCKS protocol version",
        "authentication unacceptable",
        "incomplete proxy reply",
        "proxy server unexpectedly closed connection",
        "incomplete reply received from server",
        "invalid reply received from server",
        "request failed",
    };
    known.insert(known.end(), socksCodeTexts.begin(), socksCodeTexts.end());
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 20; ++round)
    {
        std::string garbage(random() % 600, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random() % 8 == 0 ? "\r\n50 "[random() % 5] : random());
        if (round % 2 == 0 && garbage.size() > 2) garbage[0] = 5;
        bool socks = round % 3 != 0;
        SCOPED_TRACE(testing::PrintToString(garbage));
        ScriptedProxy proxy(
            [&](const Socket& connection)
            {
                if (socks)
                    readSome(connection, 3);
                else
                    readHead(connection);
                writeAll(connection, garbage);
            });
        auto client = run(socks ? proxy.socks5() : proxy.http());
        ASSERT_EQ(client->outcomes.size(), 1u);
        EXPECT_NE(std::find(known.begin(), known.end(), client->outcomes[0]), known.end())
            << client->outcomes[0];
        client->socket.close();
        runUntil([&] { return client->ended(); }, 1.0);
    }
}

TEST_F(ProxyHandshakeTest, UnconnectedSocketIsRefused)
{
    Network::Test::Recorder recorder;
    Network::TcpSocket socket(loop(), &recorder);
    Browse::Proxy proxy(localhost, 1080, true);
    Browse::ProxyHandshake handshake(localhost, 8080, &proxy, nullptr);
    EXPECT_FALSE(handshake.execute(&socket));
    EXPECT_EQ(Testing::failureOf([&] { Network::SocksHandshake(&socket, localhost, 80, nullptr); }),
              "socket should be connected");
    EXPECT_EQ(
        Testing::failureOf([&] { Network::HttpProxyHandshake(&socket, localhost, 80, nullptr); }),
        "socket should be connected");
    EXPECT_EQ(socket.handler(), &recorder);
}
