#include "browse/connection.h"

#include "browse/fixedheaders.h"
#include "dns/hostname/hostname.h"
#include "dns/message/ip.h"
#include "event/threadloop.h"
#include "tests/browse/endpoint.h"
#include "tests/browse/recorder.h"
#include "tests/openssl/support/socket.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

using Kestrava::Browse::Connection;
using Kestrava::Browse::FixedHeaders;
using Kestrava::Dns::Hostname;
using Testing::Endpoint;
using Testing::Recorder;

namespace
{

using Events = std::vector<std::string>;

/// A connection that counts the live ones, so that a test can wait for the
/// last one to be gone.
class CountedConnection : public Connection
{
public:
    template <typename... Arguments>
    explicit CountedConnection(Arguments&&... arguments)
        : Connection(std::forward<Arguments>(arguments)...)
    {
        ++live;
    }
    ~CountedConnection() override { --live; }
    static int live;
};
int CountedConnection::live = 0;

class ConnectionTest : public testing::Test
{
protected:
    /// Runs one connection to `ip` on the plain port until the recorder is
    /// finished.
    void run(Recorder& recorder, const char* ip = "127.0.0.1", double timeout = 5.0)
    {
        run(recorder, ip, Endpoint::plain(), timeout);
    }
    void run(Recorder& recorder, const char* ip, uint16_t port, double timeout)
    {
        new CountedConnection(&loop, host, fixed, DNS::Ip("0.0.0.0"), DNS::Ip(ip), port,
                              Connection::Timeouts{timeout, timeout}, nullptr, &recorder);
        EXPECT_TRUE(Testing::runUntil(loop, [&] { return recorder.finished; }));
    }
    /// The request bytes the endpoint saw for one request written by `write`.
    std::string echoed(std::function<void(Connection*)> write)
    {
        Recorder recorder;
        recorder.write = std::move(write);
        run(recorder);
        EXPECT_EQ((Events{"available", "head 200", "completed", "available", "closed"}),
                  recorder.events);
        return recorder.body;
    }
    void TearDown() override
    {
        EXPECT_TRUE(Testing::runUntil(loop, [] { return CountedConnection::live == 0; }));
    }
    std::string port() const { return std::to_string(Endpoint::plain()); }

    Kestrava::Event::ThreadLoop loop;
    Hostname host{"dual.test", true};
    FixedHeaders fixed;
};

TEST_F(ConnectionTest, PathsGetTheirSlashAndOneHostLine)
{
    const std::string hostLine = "Host: dual.test:" + port() + "\r\n";
    EXPECT_EQ("GET /x?y HTTP/1.1\r\n" + hostLine + "\r\n", echoed(
                                                               [](Connection* connection)
                                                               {
                                                                   connection->request("GET", "x?y",
                                                                                       3);
                                                                   connection->emptyline();
                                                               }));
    EXPECT_EQ("GET / HTTP/1.1\r\n" + hostLine + "\r\n", echoed(
                                                            [](Connection* connection)
                                                            {
                                                                connection->request("GET", "", 0);
                                                                connection->emptyline();
                                                            }));
    // The caller's Host line, in either form, is the only one; "Hostile"
    // is none.
    EXPECT_EQ("GET /a HTTP/1.1\r\nHOST: mine\r\n\r\n", echoed(
                                                           [](Connection* connection)
                                                           {
                                                               connection->request("GET", "/a", 2);
                                                               connection->header("HOST", 4, "mine",
                                                                                  4);
                                                               connection->emptyline();
                                                           }));
    EXPECT_EQ("GET /a HTTP/1.1\r\nhost: line\r\n\r\n", echoed(
                                                           [](Connection* connection)
                                                           {
                                                               connection->request("GET", "/a", 2);
                                                               connection->header("host: line", 10);
                                                               connection->emptyline();
                                                           }));
    EXPECT_EQ("GET /a HTTP/1.1\r\nHostile: x\r\nHostname: y\r\n" + hostLine + "\r\n",
              echoed(
                  [](Connection* connection)
                  {
                      connection->request("GET", "/a", 2);
                      connection->header("Hostile", 7, "x", 1);
                      connection->header("Hostname: y", 11);
                      connection->emptyline();
                  }));
    fixed.add("User-agent: test");
    fixed.add("Host: fixed");
    EXPECT_EQ("GET /a HTTP/1.1\r\nUser-agent: test\r\nHost: fixed\r\n\r\n",
              echoed(
                  [](Connection* connection)
                  {
                      connection->request("GET", "/a", 2);
                      connection->emptyline();
                  }));
}

TEST_F(ConnectionTest, LongRequestLinesAndBodiesKeepTheirBytes)
{
    const std::string path = "/" + std::string(3000, 'p');
    const std::string value(2500, 'v');
    const std::string body(70000, 'b');
    std::string expected = "POST " + path + " HTTP/1.1\r\nX-Long: " + value +
                           "\r\nContent-Length: 70000\r\nHost: dual.test:" + port() + "\r\n\r\n" +
                           body;
    EXPECT_EQ(expected, echoed(
                            [&](Connection* connection)
                            {
                                connection->request("POST", path.data(), path.size());
                                connection->header("X-Long", 6, value.data(), value.size());
                                connection->header("Content-Length: 70000", 21);
                                connection->emptyline();
                                connection->socket()->write(body.data(), body.size(), true);
                            }));
    // Head and body handed over together give the same bytes, whether the
    // head still sits in the staging area whole or in part.
    EXPECT_EQ(expected, echoed(
                            [&](Connection* connection)
                            {
                                connection->request("POST", path.data(), path.size());
                                connection->header("X-Long", 6, value.data(), value.size());
                                connection->header("Content-Length: 70000", 21);
                                connection->emptyline(body.data(), body.size());
                            }));
    EXPECT_EQ("POST /a HTTP/1.1\r\nContent-Length: 3\r\nHost: dual.test:" + port() + "\r\n\r\nabc",
              echoed(
                  [](Connection* connection)
                  {
                      connection->request("POST", "/a", 2);
                      connection->header("Content-Length: 3", 17);
                      connection->emptyline("abc", 3);
                  }));
}

TEST_F(ConnectionTest, FramesEveryKindOfResponse)
{
    struct Case
    {
        std::string path;
        Events events;
        std::string body;
    };
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::vector<Case> cases = {
        {"/c?body=counted", {"head 200", "completed", "available", "closed"}, "counted"},
        {"/c?chunked=1&body=a+chunked+body+of+some+length",
         {"head 200", "completed", "available", "closed"},
         "a chunked body of some length"},
        {"/c?version=1.0&body=until+close", {"head 200", "completed"}, "until close"},
        {"/c?continue=1&body=after",
         {"head 100", "head 200", "completed", "available", "closed"},
         "after"},
        {"/c?status=204", {"head 204", "completed", "available", "closed"}, ""},
        {"/c?close=1&body=closing", {"head 200", "completed", "available", "closed"}, "closing"},
        {"/c?raw=" + Endpoint::hex(ok + "Content-Length: 9\r\n\r\ncut"),
         {"head 200", "lost"},
         "cut"},
        {"/c?raw=" + Endpoint::hex(ok + "\r\n"), {"head 200", "completed"}, ""},
        {"/c?raw=" + Endpoint::hex("HTTP/1.1 2OO OK\r\n\r\n"), {"lost"}, ""},
        {"/c?raw=" + Endpoint::hex(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhelloXX"),
         {"head 200", "lost"},
         "hello"},
        {"/c?raw=" + Endpoint::hex(ok + "Content-Length: 1x\r\n\r\n1"), {"head 200", "lost"}, ""},
    };
    for (const Case& test : cases)
    {
        Recorder recorder;
        recorder.path = test.path;
        recorder.write = [&](Connection* connection)
        {
            connection->request("GET", recorder.path.data(), recorder.path.size());
            connection->header("Connection: keep-alive", 22);
            connection->emptyline();
        };
        run(recorder);
        Events events = {"available"};
        events.insert(events.end(), test.events.begin(), test.events.end());
        EXPECT_EQ(events, recorder.events) << test.path;
        EXPECT_EQ(test.body, recorder.body) << test.path;
    }
}

TEST_F(ConnectionTest, KeptAliveBodyWithoutLengthEndsAtTheClose)
{
    Recorder recorder;
    recorder.path =
        "/k?raw=" + Endpoint::hex("HTTP/1.1 200 OK\r\nConnection: keep-alive\r\n\r\nthe body");
    run(recorder);
    EXPECT_EQ((Events{"available", "head 200", "completed"}), recorder.events);
    EXPECT_EQ("the body", recorder.body);
}

TEST_F(ConnectionTest, ReadsStatusWithoutReasonAndBareLineFeeds)
{
    for (const std::string head :
         {"HTTP/1.1 204\r\n\r\n", "HTTP/1.1 200 OK\nContent-Length: 0\n\n"})
    {
        Recorder recorder;
        recorder.path = "/r?raw=" + Endpoint::hex(head);
        run(recorder);
        EXPECT_EQ(
            (Events{"available", "head " + head.substr(9, 3), "completed", "available", "closed"}),
            recorder.events)
            << head;
    }
}

TEST_F(ConnectionTest, HeadRequestEndsAfterItsHead)
{
    Recorder recorder;
    recorder.requests = 2;
    recorder.write = [&](Connection* connection)
    {
        const char* method = recorder.requests == 1 ? "HEAD" : "GET";
        connection->request(method, "/h?body=twelve+bytes", 20);
        connection->emptyline();
    };
    run(recorder);
    EXPECT_EQ((Events{"available", "head 200", "completed", "available", "head 200", "completed",
                      "available", "closed"}),
              recorder.events);
    EXPECT_EQ("twelve bytes", recorder.body);
    // Both on one connection.
    ASSERT_EQ(2u, recorder.clientPorts.size());
    EXPECT_EQ(recorder.clientPorts[0], recorder.clientPorts[1]);
}

TEST_F(ConnectionTest, ReachesIpv6FromTheIpv4Wildcard)
{
    Recorder recorder;
    recorder.path = "/v6?body=six";
    run(recorder, "::1");
    EXPECT_EQ("six", recorder.body);
}

TEST_F(ConnectionTest, FailuresAreReportedOnce)
{
    Recorder refused;
    run(refused, "127.0.0.3");
    EXPECT_EQ((Events{"failed Connect failure"}), refused.events);

    Recorder stalled;
    stalled.path = "/s?stall=1";
    run(stalled, "127.0.0.1", Endpoint::plain(), 0.3);
    EXPECT_EQ((Events{"available", "expired"}), stalled.events);

    Recorder nobody;
    EXPECT_EQ("failed to connect", Testing::failureOf(
                                       [&]
                                       {
                                           new Connection(&loop, host, fixed, DNS::Ip("192.0.2.55"),
                                                          DNS::Ip("127.0.0.1"), Endpoint::plain(),
                                                          Connection::Timeouts{1.0, 1.0}, nullptr,
                                                          &nobody);
                                       }));
    EXPECT_TRUE(nobody.events.empty());
}

TEST_F(ConnectionTest, RequestGivenUpOnItsDeadlineNeverReachesTheServerWhole)
{
    // A server that reads slowly: a small window, and nothing read before
    // the deadline. What the kernel holds of the upload must not go on.
    int port = 0;
    Kestrava::OpenSSL::Test::Socket listener = Kestrava::OpenSSL::Test::Socket::listenOn(&port);
    int window = 4096;
    ASSERT_EQ(0, setsockopt(listener.fd(), SOL_SOCKET, SO_RCVBUF, &window, sizeof window));
    const std::string body(256 * 1024, 'x');
    Recorder recorder;
    recorder.write = [&](Connection* connection)
    {
        connection->request("POST", "/", 1);
        const std::string length = std::to_string(body.size());
        connection->header("Content-Length", 14, length.data(), length.size());
        connection->emptyline(body.data(), body.size());
    };
    run(recorder, "127.0.0.1", static_cast<uint16_t>(port), 0.5);
    EXPECT_EQ((Events{"available", "expired"}), recorder.events);

    Kestrava::OpenSSL::Test::Socket server = listener.accept();
    size_t received = 0;
    char chunk[65536];
    for (ssize_t size; (size = read(server.fd(), chunk, sizeof chunk)) > 0;)
        received += static_cast<size_t>(size);
    EXPECT_LT(received, body.size());
}

TEST_F(ConnectionTest, ExpireRenewsOrRemovesTheDeadline)
{
    Recorder recorder;
    recorder.path = "/d?delay=0.4&body=late";
    recorder.write = [&](Connection* connection)
    {
        connection->expire(0.0);
        connection->request("GET", recorder.path.data(), recorder.path.size());
        connection->emptyline();
    };
    run(recorder, "127.0.0.1", Endpoint::plain(), 0.2);
    EXPECT_EQ("late", recorder.body);

    Recorder renewed;
    renewed.path = "/d?delay=0.5";
    renewed.write = [&](Connection* connection)
    {
        connection->expire(0.2);
        connection->request("GET", renewed.path.data(), renewed.path.size());
        connection->emptyline();
    };
    run(renewed, "127.0.0.1", Endpoint::plain(), 5.0);
    EXPECT_EQ((Events{"available", "expired"}), renewed.events);
}

} // namespace
