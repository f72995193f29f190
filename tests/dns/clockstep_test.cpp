// The wall clock of this test binary can be set back: a resolver that
// scheduled by it would wait out the step before its lookups time out.
#include "dns/context.h"

#include "dns/message/bits.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <arpa/nameser.h>
#include <ev.h>
#include <sys/time.h>
#include <time.h>

namespace
{

// Seconds added to the wall clock that gettimeofday tells.
long wallClockStep = 0;

class ClockStepTest : public Testing::ResolverFixture
{
protected:
    void TearDown() override { wallClockStep = 0; }
};

} // namespace

// Stands in for the C library's: this binary's own calls come here.
extern "C" int gettimeofday(struct timeval* tv, void*)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tv->tv_sec = now.tv_sec + wallClockStep;
    tv->tv_usec = now.tv_nsec / 1000;
    return 0;
}

TEST_F(ClockStepTest, AWallClockSetBackDelaysNoTimeOut)
{
    make("nameserver 127.0.0.2\noptions timeout:1 attempts:1\n");
    Testing::Recorder recorder;
    ASSERT_NE(_context->query("silent.test", ns_t_a, DNS::Bits(), &recorder), nullptr);
    // An hour back, with the query on its way.
    wallClockStep = -3600;
    EXPECT_TRUE(_loop.run(10.0));
    EXPECT_EQ(recorder.outcome.kind, Testing::Outcome::timeout);
    EXPECT_EQ(recorder.calls, 1);
}
