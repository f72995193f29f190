#include "dns/hostname/hostname.h"

#include "dns/exception/exception.h"
#include "dns/exception/idnexception.h"
#include "dns/hostname/ipaddress.h"
#include "dns/hostname/libidn.h"

#include "tests/dns/concurrently.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using Kestrava::Dns::Exception;
using Kestrava::Dns::Hostname;
using Kestrava::Dns::IdnException;
using Kestrava::Dns::IpAddress;
using Kestrava::Dns::LibIDN;
using Testing::failureOf;

namespace
{

std::string reverseName(const char* address)
{
    return Hostname(IpAddress(address)).ascii();
}

} // namespace

TEST(HostnameTest, ConvertsBetweenUnicodeAndAsciiInBothDirections)
{
    for (const char* name : {"bücher.example", "xn--bcher-kva.example"})
    {
        Hostname hostname(name, true);
        EXPECT_STREQ(hostname.unicode(), "bücher.example") << name;
        EXPECT_STREQ(hostname.ascii(), "xn--bcher-kva.example") << name;
        EXPECT_NE(hostname.unicode(), hostname.ascii());
    }
}

TEST(HostnameTest, PlainAsciiNameSharesOneTextAlsoInCopies)
{
    Hostname hostname("www.Example.com", true);
    EXPECT_STREQ(hostname.ascii(), "www.Example.com");
    EXPECT_EQ(hostname.unicode(), hostname.ascii());

    Hostname copy(hostname);
    EXPECT_EQ(copy.unicode(), copy.ascii());
    EXPECT_NE(copy.ascii(), hostname.ascii());
    EXPECT_STREQ(copy.ascii(), "www.Example.com");

    Hostname assigned("bücher.example", false);
    assigned = hostname;
    EXPECT_EQ(assigned.unicode(), assigned.ascii());
    EXPECT_STREQ(assigned.unicode(), "www.Example.com");
}

TEST(HostnameTest, CopiesAndMovesOwnTheirTextsOnce)
{
    Hostname original("bücher.example", false);
    Hostname copy(original);
    EXPECT_NE(copy.unicode(), original.unicode());
    EXPECT_STREQ(copy.ascii(), "xn--bcher-kva.example");

    Hostname moved(std::move(copy));
    EXPECT_EQ(copy.unicode(), nullptr);
    EXPECT_EQ(copy.ascii(), nullptr);
    EXPECT_STREQ(moved.unicode(), "bücher.example");

    Hostname target("plain.example", false);
    target = std::move(moved);
    EXPECT_STREQ(target.ascii(), "xn--bcher-kva.example");
    EXPECT_EQ(moved.ascii(), nullptr);

    Hostname& self = target;
    target = self;
    target = std::move(self);
    EXPECT_STREQ(target.unicode(), "bücher.example");

    copy = original;
    EXPECT_STREQ(copy.ascii(), "xn--bcher-kva.example");
    EXPECT_STREQ(copy.unicode(), "bücher.example");
}

TEST(HostnameTest, StrictRulesRefuseWhatLenientOnesAccept)
{
    Hostname lenient("a b.example", false);
    EXPECT_STREQ(lenient.ascii(), "a b.example");
    EXPECT_EQ(lenient.unicode(), lenient.ascii());

    try
    {
        Hostname strict("a b.example", true);
        FAIL() << "a blank passed the strict rules";
    }
    catch (const IdnException& error)
    {
        EXPECT_STREQ(error.what(), "Non-digit/letter/hyphen in input");
        EXPECT_EQ(error.type(), 7);
    }
}

TEST(HostnameTest, NullNameIsEmptyWhenLenientAndRefusedWhenStrict)
{
    Hostname empty(nullptr, false);
    EXPECT_EQ(empty.unicode(), nullptr);
    EXPECT_EQ(empty.ascii(), nullptr);
    Hostname name("example.com", false);
    EXPECT_FALSE(empty.contains(name));
    EXPECT_FALSE(name.contains(empty));
    EXPECT_FALSE(empty.contains(empty));

    Hostname copy(empty);
    EXPECT_EQ(copy.ascii(), nullptr);

    EXPECT_EQ(failureOf<IdnException>([] { Hostname(nullptr, true); }),
              "Output would be too large or too small");
}

TEST(HostnameTest, ContainsItselfAndItsSubdomainsIgnoringCase)
{
    Hostname domain("Example.COM", false);
    Hostname subdomain("www.example.com", false);
    Hostname deeper("a.b.EXAMPLE.com", false);
    Hostname lookalike("notexample.com", false);

    EXPECT_TRUE(domain.contains(subdomain));
    EXPECT_TRUE(domain.contains(deeper));
    EXPECT_TRUE(domain.contains(Hostname("example.com", false)));
    EXPECT_TRUE(domain.contains(domain));
    EXPECT_FALSE(subdomain.contains(domain));
    EXPECT_FALSE(domain.contains(lookalike));
    EXPECT_TRUE(
        Hostname("bücher.example", false).contains(Hostname("www.xn--bcher-kva.example", false)));
}

TEST(HostnameTest, AddressGivesItsNameOrItsNumericText)
{
    // From the test's own /etc/hosts, then its name servers.
    EXPECT_EQ(reverseName("192.0.2.7"), "web");
    EXPECT_EQ(reverseName("2001:db8::10"), "v6only.test");
    EXPECT_EQ(reverseName("::ffff:192.0.2.7"), "web");
    EXPECT_EQ(reverseName("192.0.2.99"), "192.0.2.99");

    Hostname hostname{IpAddress("192.0.2.8")};
    EXPECT_STREQ(hostname.unicode(), "hostsonly.test");
}

TEST(HostnameTest, UnspecifiedAddressesAreRefused)
{
    for (const char* address : {"0.0.0.0", "::"})
    {
        try
        {
            Hostname hostname{IpAddress(address)};
            FAIL() << address;
        }
        catch (const Exception& error)
        {
            EXPECT_STREQ(error.what(), "Invalid IP address");
            EXPECT_EQ(error.type(), 7);
        }
    }
}

TEST(HostnameTest, LiteralAddressesAreParsedOrRefused)
{
    EXPECT_EQ(IpAddress("192.0.2.1"), IpAddress(DNS::Ip("192.0.2.1")));
    EXPECT_EQ(IpAddress("::ffff:192.0.2.1").version(), 4);
    EXPECT_EQ(IpAddress("2001:db8::1").version(), 6);
    try
    {
        IpAddress address("www.example.com");
        FAIL() << "a name passed as an address";
    }
    catch (const Exception& error)
    {
        EXPECT_EQ(error.type(), 4);
        EXPECT_TRUE(error.nxdomain());
    }
}

TEST(HostnameTest, LibidnLoadsOnceUnderConcurrentFirstUse)
{
    constexpr int threads = 8;
    std::vector<const void*> libraries(threads);
    std::vector<std::string> names(threads);
    Testing::concurrently(threads,
                          [&](int index)
                          {
                              libraries[index] = &LibIDN::library();
                              names[index] = Hostname("bücher.example", false).ascii();
                          });
    for (int index = 0; index < threads; ++index)
    {
        EXPECT_EQ(libraries[index], libraries[0]);
        EXPECT_EQ(names[index], "xn--bcher-kva.example");
    }
    EXPECT_STREQ(LibIDN::library().shared()->name(), "libidn.so");
}
