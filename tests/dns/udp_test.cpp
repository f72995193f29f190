#include "dns/context.h"

#include "dns/loop/libev.h"
#include "dns/loop/monitor.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <ev.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

/// The libev adapter, remembering the descriptor it was last asked to watch.
class RecordingLoop : public DNS::LibEv
{
public:
    using LibEv::LibEv;

    void* add(int fd, int events, DNS::Monitor* monitor) override
    {
        watched = fd;
        this->monitor = monitor;
        return LibEv::add(fd, events, monitor);
    }

    int watched = -1;
    DNS::Monitor* monitor = nullptr;
};

class UdpTest : public Testing::ResolverFixture
{
};

/// Whether a datagram waits on the descriptor.
bool pending(int fd)
{
    int bytes = 0;
    return ioctl(fd, FIONREAD, &bytes) == 0 && bytes > 0;
}

} // namespace

TEST_F(UdpTest, AFloodOfDatagramsDoesNotHoldTheLoop)
{
    // A silent server of the test's own: the socket to a server takes only
    // what comes from it.
    int server = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    inet_pton(AF_INET, "127.0.0.9", &address.sin_addr);
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    RecordingLoop loop(_loop.ev(), true);
    Testing::TempFile conf("nameserver 127.0.0.9\noptions timeout:1 attempts:1\n"), hosts("");
    DNS::Context context(&loop, conf.path(), hosts.path());
    Testing::Recorder recorder;
    context.query("silent.test", ns_t_a, DNS::Bits(), &recorder);
    ASSERT_GE(loop.watched, 0);

    // Junk sent to the lookup's socket: far more than one notification reads.
    sockaddr_in target{};
    socklen_t size = sizeof target;
    ASSERT_EQ(getsockname(loop.watched, reinterpret_cast<sockaddr*>(&target), &size), 0);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(sendto(server, "junk", 4, 0, reinterpret_cast<sockaddr*>(&target), sizeof target),
                  4);

    loop.monitor->notify();
    EXPECT_TRUE(pending(loop.watched));
    // The rest is read at the next turns of the loop.
    for (int turn = 0; turn < 100 && pending(loop.watched); ++turn)
        ev_run(_loop.ev(), EVRUN_ONCE);
    EXPECT_FALSE(pending(loop.watched));
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(recorder.outcome.kind, Testing::Outcome::timeout);
    EXPECT_EQ(recorder.calls, 1);
    close(server);
}

TEST_F(UdpTest, ALookupStartedFromAnAnswerKeepsThePortAPauseGetsAFreshOne)
{
    make("nameserver 127.0.0.2\noptions timeout:1 attempts:1\n");
    Testing::Recorder next;
    _context->query(
        "a.test", ns_t_a, DNS::Bits(),
        [&](const DNS::Operation*, const DNS::Response&)
        { _context->query("a.test", ns_t_a, DNS::Bits(), &next); },
        nullptr);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(next.outcome.kind, Testing::Outcome::received);
    resolve("a.test", ns_t_a);

    auto port = [](const std::string& line) { return line.substr(line.find("port=")); };
    std::vector<std::string> asked = Testing::serverLog({"udp", "a.test"});
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(port(asked[0]), port(asked[1]));
    EXPECT_NE(port(asked[1]), port(asked[2]));
}

TEST_F(UdpTest, APortCarriesAtMostAHundredQueries)
{
    make("nameserver 127.0.0.2\noptions timeout:2 attempts:1\n");
    // Lookups that follow one another from their answers, so that the
    // socket is never idle...
    int left = 150;
    std::function<void()> next = [&]
    {
        if (left-- > 0)
            _context->query(
                "a.test", ns_t_a, DNS::Bits(),
                [&](const DNS::Operation*, const DNS::Response&) { next(); }, nullptr);
    };
    next();
    ASSERT_TRUE(_loop.run());
    // ... and many at once.
    std::vector<Testing::Recorder> recorders(250);
    for (auto& recorder : recorders)
        _context->query("aaaa.test", ns_t_aaaa, DNS::Bits(), &recorder);
    ASSERT_TRUE(_loop.run());
    for (auto& recorder : recorders)
        EXPECT_EQ(recorder.outcome.answers.size(), 1u);

    for (const char* name : {"a.test", "aaaa.test"})
    {
        std::map<std::string, int> ports;
        for (const std::string& line : Testing::serverLog({"udp", name}))
            ++ports[line.substr(line.find("port="))];
        int most = 0, total = 0;
        for (const auto& port : ports)
        {
            most = std::max(most, port.second);
            total += port.second;
        }
        EXPECT_EQ(most, 100) << name;
        EXPECT_EQ(total, std::string(name) == "a.test" ? 150 : 250) << name;
    }
}
