#include "dns/context.h"

#include "dns/message/bits.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <cstddef>

#include <arpa/nameser.h>
#include <ev.h>
#ifdef KESTRAVA_SANITIZE
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace
{

size_t allocatedBytes()
{
#ifdef KESTRAVA_SANITIZE
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

/// Keeps a number of lookups in flight until a total has been started.
class Chain : public DNS::Handler
{
public:
    Chain(DNS::Context& context, int total) : _context(context), _left(total) {}

    void start()
    {
        if (_left == 0) return;
        --_left;
        _context.query("a.test", ns_t_a, DNS::Bits(), this);
    }
    void onResolved(const DNS::Operation*, const DNS::Response&) override
    {
        ++answered;
        start();
    }
    void onFailure(const DNS::Operation*, int) override
    {
        ++failed;
        start();
    }

    int answered = 0;
    int failed = 0;

private:
    DNS::Context& _context;
    int _left;
};

class MemoryTest : public Testing::ResolverFixture
{
};

} // namespace

TEST_F(MemoryTest, FinishedLookupsAreFreedBehindAPendingOne)
{
    // The pending lookup must outlast the chain, even on a loaded machine.
    make("nameserver 127.0.0.2\noptions timeout:60 attempts:1\n");
    // Holds the front of the queues for the whole test.
    Testing::Recorder pending;
    _context->query("silent.test", ns_t_a, DNS::Bits(), &pending);

    const int lookups = 300;
    Chain warmUp(*_context, 50);
    for (int i = 0; i < 4; ++i)
        warmUp.start();
    while (warmUp.answered + warmUp.failed < 50)
        ev_run(_loop.ev(), EVRUN_ONCE);
    size_t before = allocatedBytes();

    Chain chain(*_context, lookups);
    for (int i = 0; i < 4; ++i)
        chain.start();
    while (chain.answered + chain.failed < lookups)
        ev_run(_loop.ev(), EVRUN_ONCE);
    size_t after = allocatedBytes();

    // A lookup kept after it reported costs several hundred bytes.
    EXPECT_LT(after, before + lookups * 64) << before << " -> " << after;
    EXPECT_EQ(chain.answered, lookups);
    EXPECT_EQ(pending.calls, 0);
}
