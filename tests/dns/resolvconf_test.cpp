#include "dns/config/resolvconf.h"

#include "dns/config/localdomain.h"
#include "tests/dns/harness.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include <unistd.h>

using DNS::Ip;
using DNS::ResolvConf;
using Testing::TempFile;

namespace
{

std::string strictError(const TempFile& file)
{
    return Testing::failureOf([&] { ResolvConf(file.path(), true); });
}

/// The host name the namespace sets (see namespace.sh).
bool namedWeb1()
{
    char name[64] = {};
    gethostname(name, sizeof name - 1);
    return std::string(name) == "web1.example.net";
}

} // namespace

TEST(ResolvConfTest, ReadsServersAndSearchPaths)
{
    TempFile file("# comment\n; comment\n\nNameServer 192.0.2.53\nnameserver 2001:db8::53  \n"
                  "search one.example two.example\nsearch a.example\tb.example\n");
    ResolvConf conf(file.path(), true);
    ASSERT_EQ(conf.nameservers().size(), 2u);
    EXPECT_EQ(conf.nameserver(0), Ip("192.0.2.53"));
    EXPECT_EQ(conf.nameserver(1), Ip("2001:db8::53"));
    // Only the last search line counts.
    ASSERT_EQ(conf.searchpaths().size(), 2u);
    EXPECT_EQ(conf.searchpath(0), "a.example");
    EXPECT_EQ(conf.searchpath(1), "b.example");
    EXPECT_EQ(conf.timeout(), 5u);
    EXPECT_EQ(conf.attempts(), 2u);
    EXPECT_FALSE(conf.rotate());
    EXPECT_EQ(conf.ndots(), 1);
}

TEST(ResolvConfTest, ClampsOptions)
{
    TempFile high("options timeout:60 attempts:9 ndots:20\n");
    ResolvConf clamped(high.path(), true);
    EXPECT_EQ(clamped.timeout(), 30u);
    EXPECT_EQ(clamped.attempts(), 5u);
    EXPECT_EQ(clamped.ndots(), 15);

    for (const char* line : {"options rotate timeout:2\n", "options timeout:2 rotate\n"})
    {
        TempFile file(line);
        ResolvConf conf(file.path(), true);
        EXPECT_TRUE(conf.rotate()) << line;
        EXPECT_EQ(conf.timeout(), 2u) << line;
    }

    // Unknown, inexact and negative options are passed over.
    TempFile odd("options rotated timeout: ndots:-3 attempts:3 debug\n");
    ResolvConf conf(odd.path(), true);
    EXPECT_FALSE(conf.rotate());
    EXPECT_EQ(conf.timeout(), 0u);
    EXPECT_EQ(conf.ndots(), 1);
    EXPECT_EQ(conf.attempts(), 3u);
}

TEST(ResolvConfTest, StrictModeNamesThePathAndTheLine)
{
    TempFile domain("nameserver 192.0.2.1\ndomain example.net\n");
    EXPECT_EQ(strictError(domain),
              std::string(domain.path()) + ": not implemented: domain example.net");

    TempFile bare("nameserver\n");
    EXPECT_EQ(strictError(bare), std::string(bare.path()) + ": unrecognized: nameserver");

    TempFile indented(" nameserver 192.0.2.1\n");
    EXPECT_EQ(strictError(indented),
              std::string(indented.path()) + ": unrecognized:  nameserver 192.0.2.1");

    TempFile hostname("nameserver ns.example.net\n");
    EXPECT_EQ(strictError(hostname),
              std::string(hostname.path()) + ": invalid IP address supplied");
}

TEST(ResolvConfTest, LenientModeSkipsBadLines)
{
    TempFile file("domain example.net\nbogus line\nnameserver ns.example\n nameserver 192.0.2.9\n"
                  "nameserver 192.0.2.1\nsearch example.org\n");
    ResolvConf conf(file.path(), false);
    ASSERT_EQ(conf.nameservers().size(), 1u);
    EXPECT_EQ(conf.nameserver(0), Ip("192.0.2.1"));
    ASSERT_EQ(conf.searchpaths().size(), 1u);
    EXPECT_EQ(conf.searchpath(0), "example.org");
}

TEST(ResolvConfTest, MissingFileFailsInBothModes)
{
    for (bool strict : {true, false})
    {
        try
        {
            ResolvConf conf("/nonexistent/resolv.conf", strict);
            ADD_FAILURE() << "no error";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "/nonexistent/resolv.conf: failed to open file");
        }
    }
}

TEST(ResolvConfTest, LocalDomainIsTheSearchPathWithoutSearchLine)
{
    if (!Testing::inNamespace()) return;
    ASSERT_TRUE(namedWeb1());
    EXPECT_STREQ(DNS::LocalDomain(), "example.net");
    TempFile file("nameserver 192.0.2.1\n");
    ResolvConf conf(file.path(), true);
    ASSERT_EQ(conf.searchpaths().size(), 1u);
    EXPECT_EQ(conf.searchpath(0), "example.net");

    // A host name without a dot gives no search path.
    ASSERT_EQ(sethostname("web1", 4), 0);
    EXPECT_STREQ(DNS::LocalDomain(), "");
    EXPECT_TRUE(ResolvConf(file.path(), true).searchpaths().empty());
    ASSERT_EQ(sethostname("web1.example.net.", 17), 0);
    EXPECT_STREQ(DNS::LocalDomain(), "example.net");
}
