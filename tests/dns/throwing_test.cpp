#include "dns/context.h"

#include "dns/message/bits.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/nameser.h>

using Testing::Outcome;
using Testing::Recorder;
using Strings = std::vector<std::string>;

namespace
{

const char* const oneServer = "nameserver 127.0.0.2\noptions timeout:1 attempts:1\n";

/// A handler that throws from whichever callback it is given.
class Thrower : public DNS::Handler
{
public:
    enum Where
    {
        resolved,
        timeout,
        cancelled
    };
    explicit Thrower(Where where, bool standard = true) : _where(where), _standard(standard) {}

    void onResolved(const DNS::Operation*, const DNS::Response&) override { raise(resolved); }
    void onTimeout(const DNS::Operation*) override { raise(timeout); }
    void onCancelled(const DNS::Operation*) override { raise(cancelled); }

    int calls = 0;

private:
    void raise(Where where)
    {
        ++calls;
        if (where != _where) return;
        if (_standard) throw std::runtime_error("handler failed");
        throw 42;
    }

    Where _where;
    bool _standard;
};

class ThrowingHandlerTest : public Testing::ResolverFixture
{
protected:
    /// A Context whose reporter keeps what it is told, as text.
    DNS::Context& makeReporting(const std::string& resolvconf, const std::string& hosts = "")
    {
        DNS::Context& context = make(resolvconf, hosts);
        context.reporter(
            [this](std::exception_ptr exception)
            {
                try
                {
                    std::rethrow_exception(exception);
                }
                catch (const std::exception& error)
                {
                    reported.push_back(error.what());
                }
                catch (int number)
                {
                    reported.push_back(std::to_string(number));
                }
            });
        return context;
    }

    Strings reported;
};

} // namespace

TEST_F(ThrowingHandlerTest, AnAnswerHandlerThatThrowsKeepsNoPlace)
{
    DNS::Context& context = makeReporting(oneServer);
    context.capacity(1);
    Thrower thrower(Thrower::resolved);
    Recorder next;
    context.query("a.test", ns_t_a, DNS::Bits(), &thrower);
    context.query("a.test", ns_t_a, DNS::Bits(), &next);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(thrower.calls, 1);
    EXPECT_EQ(next.outcome.kind, Outcome::received);
    EXPECT_EQ(next.calls, 1);
    EXPECT_EQ(reported, Strings{"handler failed"});
}

TEST_F(ThrowingHandlerTest, ATimeoutHandlerThatThrowsKeepsTheTimerRunning)
{
    DNS::Context& context = makeReporting(oneServer);
    context.capacity(2);
    // Not a std::exception: it must not reach the loop either.
    Thrower thrower(Thrower::timeout, false);
    Recorder second, third;
    context.query("silent1.test", ns_t_a, DNS::Bits(), &thrower);
    context.query("silent2.test", ns_t_a, DNS::Bits(), &second);
    context.query("a.test", ns_t_a, DNS::Bits(), &third);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(thrower.calls, 1);
    EXPECT_EQ(second.outcome.kind, Outcome::timeout);
    EXPECT_EQ(third.outcome.kind, Outcome::received);
    EXPECT_EQ(reported, Strings{"42"});
}

TEST_F(ThrowingHandlerTest, LocalSearchAndCancelledLookupsThatThrowAreFreed)
{
    DNS::Context& context = makeReporting(std::string(oneServer) + "search a.example b.example\n",
                                          "192.0.2.8 hosts.test\n");
    context.capacity(1);
    Thrower local(Thrower::resolved), search(Thrower::resolved), cancelled(Thrower::cancelled);
    context.query("hosts.test", ns_t_a, DNS::Bits(), &local);
    // Found as mail.b.example after mail.a.example failed.
    context.query("mail", ns_t_a, DNS::Bits(), &search);
    DNS::Operation* operation = context.query("a.test", ns_t_a, DNS::Bits(), &cancelled);
    ASSERT_NE(operation, nullptr);
    operation->cancel();
    Recorder last;
    context.query("a.test", ns_t_a, DNS::Bits(), &last);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(local.calls + search.calls + cancelled.calls, 3);
    EXPECT_EQ(last.outcome.kind, Outcome::received);
    EXPECT_EQ(reported, Strings(3, "handler failed"));
}

TEST_F(ThrowingHandlerTest, WithoutAReporterTheExceptionGoesToStandardError)
{
    make(oneServer);
    Thrower thrower(Thrower::resolved);
    _context->query("a.test", ns_t_a, DNS::Bits(), &thrower);
    testing::internal::CaptureStderr();
    bool ran = _loop.run();
    std::string text = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ran);
    EXPECT_NE(text.find("handler failed"), std::string::npos) << text;
}
