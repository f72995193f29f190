// The resolver state: name lookup, the order in which addresses are tried,
// connect failures and time-outs. Lookups and connects that could leave
// the machine run in a private network namespace.
#include "amqp/tcp/addressinfo.h"

#include "amqp/address.h"
#include "amqp/connectionorder.h"
#include "amqp/tcpconnection.h"
#include "loopback.h"
#include "privatenetwork.h"
#include "tcpharness.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <set>
#include <sstream>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

using Names = std::vector<std::string>;

/// The addresses of host in the order the resolver tries them.
Names tried(const char* host, const char* order)
{
    AddressInfo addresses(host, 5672, ConnectionOrder(order));
    Names names;
    for (size_t index = 0; index < addresses.size(); ++index)
    {
        char text[INET6_ADDRSTRLEN];
        getnameinfo(addresses[index]->ai_addr, addresses[index]->ai_addrlen, text, sizeof text,
                    nullptr, 0, NI_NUMERICHOST);
        names.push_back(text);
    }
    return names;
}

/// A loopback listener on a free port of address (127.0.0.1 by default).
class Listener
{
public:
    explicit Listener(const char* address = "127.0.0.1")
        : _fd(listenOnLoopback(_port, 8, SOCK_STREAM | SOCK_NONBLOCK, address))
    {
    }
    ~Listener() { close(_fd); }
    uint16_t port() const { return _port; }

    /// Accepts and closes what is waiting, so the backlog never fills.
    void drain()
    {
        int accepted;
        while ((accepted = accept4(_fd, nullptr, nullptr, SOCK_NONBLOCK)) >= 0)
            close(accepted);
    }

private:
    uint16_t _port;
    int _fd;
};

/// A port on which nothing listens.
uint16_t closedPort()
{
    return Listener().port();
}

/// The events of one connection to address, until it is detached.
Names connect(const std::string& address, double limit = 20)
{
    Loop loop;
    RecordingHandler handler(loop);
    TcpConnection connection(&handler, Address(address));
    loop.until([&] { return handler.saw("detached") || handler.saw("connected"); },
               std::chrono::milliseconds(int(limit * 1000)));
    return handler.events();
}

/// body in a private network: it passes with "", is skipped where no
/// namespace can be made.
void expectInPrivateNetwork(const std::string& hosts, const std::function<std::string()>& body)
{
    std::string result = inPrivateNetwork(hosts, body);
    if (result == "skip") GTEST_SKIP() << "no network namespaces here";
    EXPECT_EQ(result, "");
}

std::string describe(const Names& names)
{
    return ::testing::PrintToString(names);
}

} // namespace

TEST(AddressInfoTest, OrdersFollowTheConnectionOrderOption)
{
    // Numeric hosts: nothing is looked up. The order is read from the
    // sorting only: one host resolving to several addresses is what
    // /etc/hosts gives in the private network below.
    EXPECT_EQ(tried("10.0.0.2", "asc"), Names{"10.0.0.2"});
    expectInPrivateNetwork("10.0.0.2 many.test\n192.168.0.1 many.test\nfe80::1 many.test\n",
                           []() -> std::string
                           {
                               Names ascending = tried("many.test", "asc");
                               Names descending = tried("many.test", "desc");
                               Names expected{"192.168.0.1", "10.0.0.2", "fe80::1"};
                               if (ascending != expected) return "asc gave " + describe(ascending);
                               if (descending != Names(expected.rbegin(), expected.rend()))
                                   return "desc gave " + describe(descending);
                               Names shuffled = tried("many.test", "random");
                               if (std::multiset<std::string>(shuffled.begin(), shuffled.end()) !=
                                   std::multiset<std::string>(expected.begin(), expected.end()))
                                   return "random gave " + describe(shuffled);
                               if (tried("many.test", "standard").size() != 3)
                                   return "standard lost an address";
                               return "";
                           });
}

TEST(AddressInfoTest, UnresolvableNamesGiveTheLookupsText)
{
    expectInPrivateNetwork(
        "",
        []() -> std::string
        {
            addrinfo hints{};
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* list = nullptr;
            int code = getaddrinfo("no-such-host.invalid", "5672", &hints, &list);
            if (code == 0) return "the name resolved";
            Names events = connect("amqp://no-such-host.invalid/");
            Names expected{"attached", std::string("error: ") + gai_strerror(code), "detached"};
            return events == expected ? "" : "events " + describe(events);
        });
}

TEST(ResolverTest, RefusedConnectionIsAnErrorWithoutLost)
{
    Names events = connect("amqp://127.0.0.1:" + std::to_string(closedPort()) + "/");
    EXPECT_EQ(events, (Names{"attached", "error: Connection refused", "detached"}));
}

TEST(ResolverTest, SecondAddressIsUsedWhenTheFirstRefuses)
{
    expectInPrivateNetwork(
        "127.0.0.1 two.test\n127.0.0.2 two.test\n",
        []() -> std::string
        {
            Listener listener("127.0.0.1");
            // Descending: 127.0.0.2, where nothing listens, comes first.
            Names events = connect("amqp://two.test:" + std::to_string(listener.port()) +
                                   "/?connectionOrder=desc");
            return events == Names{"attached", "connected"} ? "" : "events " + describe(events);
        });
}

TEST(ResolverTest, ConnectThatFailsAtOnceTriesTheNextAddress)
{
    // In the private network 10.0.0.1 has no route: connect fails at once
    // with ENETUNREACH, which must not be polled for the time-out.
    expectInPrivateNetwork(
        "10.0.0.1 far.test\n127.0.0.1 far.test\n",
        []() -> std::string
        {
            Listener listener;
            auto start = std::chrono::steady_clock::now();
            Names events = connect("amqp://far.test:" + std::to_string(listener.port()) +
                                   "/?connectionOrder=asc&connectTimeout=30");
            auto spent = std::chrono::steady_clock::now() - start;
            if (events != Names{"attached", "connected"}) return "events " + describe(events);
            if (spent > std::chrono::seconds(5)) return "the unreachable address was waited for";
            Names alone = connect("amqp://10.0.0.1:" + std::to_string(listener.port()) +
                                  "/?connectTimeout=30");
            return alone == Names{"attached", "error: Network is unreachable", "detached"}
                       ? ""
                       : "alone " + describe(alone);
        });
}

TEST(ResolverTest, ZeroOrNegativeTimeOutPollsOnceWithoutWaiting)
{
    // A listener whose backlog is full leaves further connects pending:
    // with a time-out of 0 they fail at once with the time-out's text.
    expectInPrivateNetwork(
        "",
        []() -> std::string
        {
            uint16_t listening;
            int fd = listenOnLoopback(listening, 0);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(listening);
            local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            std::string port = std::to_string(listening);
            // Fill the backlog.
            std::vector<int> fillers;
            for (int index = 0; index < 4; ++index)
            {
                int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
                ::connect(filler, reinterpret_cast<sockaddr*>(&local), sizeof local);
                fillers.push_back(filler);
            }
            std::string failure;
            for (const char* timeout : {"0", "-3", "none"})
            {
                auto start = std::chrono::steady_clock::now();
                Names events = connect("amqp://127.0.0.1:" + port + "/?connectTimeout=" + timeout);
                auto spent = std::chrono::steady_clock::now() - start;
                if (events != Names{"attached", "error: connection timed out", "detached"})
                    failure += std::string(timeout) + ": " + describe(events) + " ";
                if (spent > std::chrono::seconds(2)) failure += std::string(timeout) + " waited ";
            }
            for (int filler : fillers)
                close(filler);
            close(fd);
            return failure;
        });
}

TEST(ResolverThreadTest, ConnectionsDestroyedAtAnyMomentOfTheThreadLeaveNothingBehind)
{
    Listener listener;
    std::string address = "amqp://127.0.0.1:" + std::to_string(listener.port()) + "/";
    Loop loop;
    RecordingHandler handler(loop);
    // One first: a sanitizer starts a thread of its own with the first one.
    std::make_unique<TcpConnection>(&handler, Address(address)).reset();
    size_t threadCount = threads();
    size_t descriptors = openDescriptors();
    for (int round = 0; round < 40; ++round)
    {
        auto connection = std::make_unique<TcpConnection>(&handler, Address(address));
        switch (round % 4)
        {
        case 0:
            break;
        case 1:
            ASSERT_TRUE(loop.until([&] { return handler.saw("connected", connection.get()); }));
            break;
        case 2:
            EXPECT_TRUE(connection->close(true));
            break;
        case 3:
            usleep(useconds_t(round * 50));
            loop.run(std::chrono::milliseconds(1));
            break;
        }
        // Inside a callback too: the next connection's connected.
        if (round % 8 == 4)
        {
            handler._hooks["connected"] = [&](TcpConnection*) { connection.reset(); };
            ASSERT_TRUE(loop.until([&] { return connection == nullptr; }));
            handler._hooks.clear();
        }
        connection.reset();
        listener.drain();
    }
    loop.run(std::chrono::milliseconds(50));
    EXPECT_EQ(threads(), threadCount);
    EXPECT_EQ(openDescriptors(), descriptors);
}
