// The plain cases against a real name server (dnsmasq on 127.0.0.1).
#include "dns/context.h"

#include "dns/message/ip.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <arpa/nameser.h>

using Testing::Outcome;
using Strings = std::vector<std::string>;

namespace
{

class DnsmasqTest : public Testing::ResolverFixture
{
protected:
    void SetUp() override
    {
        ResolverFixture::SetUp();
        make("nameserver 127.0.0.1\noptions timeout:2 attempts:2\n");
    }
};

} // namespace

TEST_F(DnsmasqTest, ResolvesAddresses)
{
    EXPECT_EQ(resolve("host.plain.test", ns_t_a).answers, Strings{"192.0.2.40"});
    EXPECT_EQ(resolve("HOST.Plain.Test", ns_t_aaaa).answers, Strings{"2001:db8::40"});
}

TEST_F(DnsmasqTest, ResolvesReverseAndTextRecords)
{
    Testing::Recorder recorder;
    _context->query(DNS::Ip("192.0.2.40"), DNS::Bits(), &recorder);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(recorder.outcome.answers, Strings{"host.plain.test"});
    Testing::Recorder six;
    _context->query(DNS::Ip("2001:db8::40"), DNS::Bits(), &six);
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(six.outcome.answers, Strings{"host.plain.test"});
    EXPECT_EQ(resolve("txt.plain.test", ns_t_txt).answers, Strings{"first partsecond part"});
}

TEST_F(DnsmasqTest, ReportsMissingNames)
{
    Outcome missing = resolve("missing.plain.test", ns_t_a);
    EXPECT_EQ(missing.kind, Outcome::received);
    EXPECT_EQ(missing.rcode, ns_r_nxdomain);
    int failure = 0;
    _context->query("missing.plain.test", ns_t_a, DNS::Bits(), nullptr,
                    [&](const DNS::Operation*, int rcode) { failure = rcode; });
    ASSERT_TRUE(_loop.run());
    EXPECT_EQ(failure, ns_r_nxdomain);
}

TEST_F(DnsmasqTest, AsksServersOverIPv6)
{
    make("nameserver ::1\noptions timeout:2 attempts:2\n");
    EXPECT_EQ(resolve("host.plain.test", ns_t_aaaa).answers, Strings{"2001:db8::40"});
    EXPECT_EQ(resolve("missing.plain.test", ns_t_a).rcode, ns_r_nxdomain);
}

TEST_F(DnsmasqTest, ManyLookupsInFlight)
{
    _context->capacity(8);
    // Small socket buffers still carry the answers of eight lookups.
    _context->buffersize(4096);
    std::vector<Testing::Recorder> recorders(50);
    for (auto& recorder : recorders)
        _context->query("host.plain.test", ns_t_a, DNS::Bits(), &recorder);
    ASSERT_TRUE(_loop.run());
    for (auto& recorder : recorders)
        EXPECT_EQ(recorder.outcome.answers, Strings{"192.0.2.40"});
}
