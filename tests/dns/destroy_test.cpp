// Destroying the Context inside each kind of callback: no callback may follow,
// and nothing may touch freed memory (the sanitizer build checks that).
#include "dns/context.h"

#include "dns/message/ip.h"
#include "dns/message/response.h"
#include "tests/dns/fixture.h"
#include "tests/dns/harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <arpa/nameser.h>
#include <ev.h>
#include <unistd.h>

using Testing::serverLog;

namespace
{

const char* const servers =
    "nameserver 127.0.0.2\nsearch b.example\noptions timeout:1 attempts:1\n";

/// Destroys the Context at its first callback and counts every callback.
class Destroyer : public DNS::Handler
{
public:
    Destroyer(std::unique_ptr<DNS::Context>& context, int& calls) : _context(context), _calls(calls)
    {
    }

    void onReceived(const DNS::Operation*, const DNS::Response& response) override
    {
        // The response stays readable during the call, after the Context went.
        destroy();
        _rcode = response.rcode();
    }
    void onTimeout(const DNS::Operation*) override { destroy(); }
    void onCancelled(const DNS::Operation*) override { destroy(); }

    int _rcode = -1;

private:
    void destroy()
    {
        ++_calls;
        _context.reset();
    }

    std::unique_ptr<DNS::Context>& _context;
    int& _calls;
};

/// The number of descriptors this process has open.
size_t openDescriptors()
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        count += entry.exists() ? 1 : 0;
    return count;
}

class DestroyTest : public Testing::ResolverFixture
{
protected:
    /// Starts every lookup with its own Destroyer, runs the loop, and
    /// expects exactly one callback in all.
    void destroyInFirstCallback(const std::vector<std::pair<std::string, int>>& lookups)
    {
        int calls = 0;
        std::vector<std::unique_ptr<Destroyer>> handlers;
        for (const auto& lookup : lookups)
        {
            handlers.push_back(std::make_unique<Destroyer>(_context, calls));
            ASSERT_NE(_context->query(lookup.first.c_str(), lookup.second, DNS::Bits(),
                                      handlers.back().get()),
                      nullptr)
                << lookup.first;
        }
        EXPECT_TRUE(_loop.run());
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(_context, nullptr);
    }
};

} // namespace

TEST_F(DestroyTest, InsideAnAnswerOverUdp)
{
    make(servers);
    destroyInFirstCallback({{"a.test", ns_t_a},
                            {"aaaa.test", ns_t_aaaa},
                            {"txt.test", ns_t_txt},
                            {"nx.test", ns_t_a},
                            {"slow1.test", ns_t_a}});
}

TEST_F(DestroyTest, InsideAnAnswerFromTheHostsTable)
{
    make(servers, "192.0.2.8 one.test two.test three.test\n");
    destroyInFirstCallback(
        {{"one.test", ns_t_a}, {"two.test", ns_t_a}, {"three.test", ns_t_a}, {"a.test", ns_t_a}});
}

TEST_F(DestroyTest, InsideAnAnswerOverTcp)
{
    make(servers);
    destroyInFirstCallback(
        {{"truncated.test", ns_t_a}, {"tcpdelay.test", ns_t_a}, {"big.test", ns_t_a}});
}

TEST_F(DestroyTest, InsideAReportAfterTcpFailed)
{
    make("nameserver 127.0.0.3\noptions timeout:2 attempts:1\n");
    destroyInFirstCallback({{"truncated.test", ns_t_a}, {"big.test", ns_t_a}});
    make("nameserver 127.0.0.2\noptions timeout:5 attempts:1\n");
    destroyInFirstCallback({{"tcpclose.test", ns_t_a}, {"truncated.test", ns_t_a}});
}

TEST_F(DestroyTest, InsideATimeout)
{
    make(servers);
    destroyInFirstCallback(
        {{"silent1.test", ns_t_a}, {"silent2.test", ns_t_a}, {"slow1.test", ns_t_a}});
    // Nothing listens on 127.0.0.9: no server is left at once.
    make("nameserver 127.0.0.9\noptions timeout:1\n");
    destroyInFirstCallback({{"a.test", ns_t_a}, {"aaaa.test", ns_t_aaaa}});
}

TEST_F(DestroyTest, InsideASearch)
{
    make(servers);
    // Found at mail.b.example, while other searches are still on their way.
    destroyInFirstCallback({{"mail", ns_t_a}, {"other", ns_t_a}, {"silent", ns_t_a}});
    make(servers);
    destroyInFirstCallback({{"silent", ns_t_a}, {"silenttoo", ns_t_a}});
}

TEST_F(DestroyTest, InsideACancellation)
{
    make(servers);
    int calls = 0;
    Destroyer first(_context, calls), second(_context, calls), third(_context, calls);
    DNS::Operation* operation = _context->query("slow1.test", ns_t_a, DNS::Bits(), &first);
    _context->query("mail", ns_t_a, DNS::Bits(), &second);
    _context->query(DNS::Ip("192.0.2.1"), DNS::Bits(), &third);
    operation->cancel();
    EXPECT_EQ(_context, nullptr);
    EXPECT_TRUE(_loop.run());
    EXPECT_EQ(calls, 1);

    // A search cancelled: its candidate reports, the search passes it on.
    make(servers);
    operation = _context->query("mail", ns_t_a, DNS::Bits(), &second);
    _context->query("slow2.test", ns_t_a, DNS::Bits(), &first);
    operation->cancel();
    EXPECT_TRUE(_loop.run());
    EXPECT_EQ(calls, 2);
}

TEST_F(DestroyTest, InsideFunctionCallbacks)
{
    make(servers);
    int calls = 0;
    auto destroy = [&](auto...)
    {
        ++calls;
        _context.reset();
    };
    for (const char* name : {"nx.test", "a.test", "servfail.test", "silent.test"})
        _context->query(name, ns_t_a, DNS::Bits(), destroy, destroy);
    EXPECT_TRUE(_loop.run());
    EXPECT_EQ(calls, 1);
}

TEST_F(DestroyTest, WithLookupsRunningOutsideCallbacks)
{
    // A search, a query outstanding on a TCP connection and lookups waiting
    // for room are dropped unreported, and their descriptors and watchers
    // go with them: the loop has nothing left to wait for.
    size_t descriptors = openDescriptors();
    // Time-outs far beyond the wait for the TCP query, even on a loaded machine.
    make("nameserver 127.0.0.2\nsearch b.example\noptions timeout:30 attempts:1\n").capacity(3);
    Testing::Recorder recorders[5];
    const char* names[] = {"silent", "tcpdelay.test", "silent.test", "slow1.test", "a.test"};
    for (int i = 0; i < 5; ++i)
        ASSERT_NE(_context->query(names[i], ns_t_a, DNS::Bits(), &recorders[i]), nullptr);
    for (int turn = 0; turn < 2000 && serverLog({"tcp", "tcpdelay.test"}).empty(); ++turn)
    {
        ev_run(_loop.ev(), EVRUN_NOWAIT);
        usleep(1000);
    }
    ASSERT_EQ(serverLog({"tcp", "tcpdelay.test"}).size(), 1u);
    _context.reset();
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_TRUE(_loop.run(5.0));
    for (const Testing::Recorder& recorder : recorders)
        EXPECT_EQ(recorder.calls, 0);
    EXPECT_TRUE(serverLog({"slow1.test"}).empty());
    EXPECT_TRUE(serverLog({"a.test"}).empty());
}
