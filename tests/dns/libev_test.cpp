#include "dns/loop/libev.h"

#include "dns/context.h"
#include "dns/loop/monitor.h"
#include "dns/loop/timer.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <arpa/nameser.h>
#include <ev.h>
#include <unistd.h>

namespace
{

struct CountingMonitor : DNS::Monitor
{
    void notify() override { ++notified; }
    int notified = 0;
};

struct CountingTimer : DNS::Timer
{
    void expire() override { ++expired; }
    int expired = 0;
};

} // namespace

TEST(LibEvTest, GivesEveryWatcherBackWhateverTheFlag)
{
    for (bool reference : {true, false})
    {
        Testing::TestLoop loop(reference);
        DNS::LibEv* adapter = loop.dns();
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        CountingMonitor monitor;
        void* io = adapter->add(fds[1], DNS::Loop::writable, &monitor);
        ev_run(loop.ev(), EVRUN_ONCE);
        EXPECT_EQ(monitor.notified, 1);
        io = adapter->update(io, fds[0], DNS::Loop::readable, &monitor);
        ASSERT_EQ(write(fds[1], "x", 1), 1);
        ev_run(loop.ev(), EVRUN_ONCE);
        EXPECT_EQ(monitor.notified, 2);
        char byte;
        ASSERT_EQ(read(fds[0], &byte, 1), 1);

        CountingTimer timer;
        void* fired = adapter->timer(0.001, &timer);
        void* pending = adapter->timer(60, &timer);
        while (timer.expired == 0)
            ev_run(loop.ev(), EVRUN_ONCE);
        adapter->cancel(fired, &timer);
        adapter->cancel(pending, &timer);
        adapter->remove(io, fds[0], &monitor);
        // With the count balanced the loop has nothing left and returns at once.
        EXPECT_TRUE(loop.run(5.0)) << reference;
        EXPECT_EQ(timer.expired, 1);
        close(fds[0]);
        close(fds[1]);
    }
}

class LibEvResolverTest : public Testing::ResolverFixture
{
};

TEST_F(LibEvResolverTest, WithoutReferenceTheResolverDoesNotKeepTheLoopRunning)
{
    Testing::TestLoop loop(false);
    Testing::TempFile conf("nameserver 127.0.0.2\noptions timeout:1 attempts:1\n"), hosts("");
    Testing::Recorder recorder;
    {
        DNS::Context context(loop.dns(), conf.path(), hosts.path());
        context.query("slow1.test", ns_t_a, DNS::Bits(), &recorder);
        EXPECT_TRUE(loop.run(5.0));
        EXPECT_EQ(recorder.calls, 0);
    }

    make("nameserver 127.0.0.2\noptions timeout:1 attempts:1\n");
    _context->query("slow1.test", ns_t_a, DNS::Bits(), &recorder);
    EXPECT_TRUE(_loop.run(5.0));
    EXPECT_EQ(recorder.calls, 1);
}
