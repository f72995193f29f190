#include "dns/blocking/context.h"

#include "dns/blocking/lookups.h"
#include "dns/exception/configexception.h"
#include "dns/exception/rcodeexception.h"
#include "dns/exception/timeoutexception.h"
#include "dns/records/dkimrecords.h"
#include "tests/dns/harness.h"
#include "tests/dns/unreadable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <set>
#include <string>
#include <vector>

#include <arpa/nameser.h>
#include <ev.h>
#include <sys/mount.h>

using Kestrava::Dns::Context;
using Kestrava::Dns::DkimRecords;

namespace
{

class BlockingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Testing::inNamespace()) GTEST_SKIP();
    }

    /// The p tags of the records, in order.
    static std::vector<std::string> keys(const DkimRecords& records)
    {
        std::vector<std::string> result;
        for (const auto& record : records.records())
            result.push_back(record.p());
        return result;
    }
};

} // namespace

TEST_F(BlockingTest, CollectsTheKeyRecordsOfAnAnswer)
{
    DkimRecords records;
    EXPECT_TRUE(Context().query("txt.test", ns_t_txt, &records));
    ASSERT_EQ(records.records().size(), 1u);
    EXPECT_EQ(records.records()[0].k(), "rsa");
    EXPECT_EQ(records.records()[0].p(), "MIGf");

    // Another version, a malformed TXT and an SPF record are skipped.
    DkimRecords mixed;
    EXPECT_TRUE(Context().query("mixed._domainkey.test", ns_t_txt, &mixed));
    EXPECT_EQ(keys(mixed), (std::vector<std::string>{"FIRST", "SECOND"}));
    EXPECT_EQ(mixed.rcode(), 0);
    EXPECT_FALSE(mixed.timedout());
}

TEST_F(BlockingTest, FailuresSurfaceAsTheirExceptions)
{
    DkimRecords missing;
    EXPECT_TRUE(Context().query("nx.test", ns_t_txt, &missing));
    ASSERT_EQ(missing.rcode(), ns_r_nxdomain);
    Kestrava::Dns::RcodeException nxdomain(missing.rcode());
    EXPECT_STREQ(nxdomain.what(), "rcode 3 (NXDOMAIN): Non-Existent Domain");
    EXPECT_TRUE(nxdomain.nxdomain());
    EXPECT_EQ(nxdomain.type(), 4);

    DkimRecords failed;
    EXPECT_TRUE(Context().query("servfail.test", ns_t_txt, &failed));
    ASSERT_EQ(failed.rcode(), ns_r_servfail);
    EXPECT_TRUE(Kestrava::Dns::RcodeException(failed.rcode()).temporary());

    // The system's resolv.conf gives one attempt of one second.
    DkimRecords silent;
    EXPECT_FALSE(Context().query("silent.test", ns_t_txt, &silent));
    EXPECT_TRUE(silent.timedout());
    EXPECT_TRUE(silent.records().empty());
    EXPECT_TRUE(Kestrava::Dns::TimeoutException().temporary());
}

TEST_F(BlockingTest, NeverTouchesTheCallersLoop)
{
    Testing::TestLoop caller;
    bool fired = false;
    ev_timer timer;
    ev_timer_init(
        &timer,
        [](struct ev_loop*, ev_timer* watcher, int) { *static_cast<bool*>(watcher->data) = true; },
        0.0, 0.0);
    timer.data = &fired;
    ev_timer_start(caller.ev(), &timer);

    DkimRecords records;
    EXPECT_TRUE(Context().query("txt.test", ns_t_txt, &records));
    EXPECT_EQ(records.records().size(), 1u);
    EXPECT_FALSE(fired);
    EXPECT_EQ(ev_iteration(caller.ev()), 0u);
    ev_timer_stop(caller.ev(), &timer);
}

TEST_F(BlockingTest, AsksTheCallersIPv6NameServers)
{
    // The server of resolv.conf refuses the port: dnsmasq on ::1 answers.
    Testing::TempFile refusing("nameserver 127.0.0.9\noptions timeout:1 attempts:1\n");
    ASSERT_EQ(mount(refusing.path(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr), 0);
    DkimRecords records;
    bool answered =
        Context({DNS::Ip("::1")}).query("key._domainkey.plain.test", ns_t_txt, &records);
    umount("/etc/resolv.conf");
    EXPECT_TRUE(answered);
    ASSERT_EQ(records.records().size(), 1u);
    EXPECT_EQ(records.records()[0].p(), "MIGfMA0");
}

TEST_F(BlockingTest, AHandlerExceptionIsThrownOnOnceTheLookupIsOver)
{
    class Throwing : public DNS::Handler
    {
        void onResolved(const DNS::Operation*, const DNS::Response&) override
        {
            throw std::runtime_error("handler failed");
        }
    } handler;
    EXPECT_THROW(Context().query("txt.test", ns_t_txt, &handler), std::runtime_error);
    // A lookup that cannot start tells nobody and returns at once.
    DkimRecords records;
    EXPECT_FALSE(Context().query(std::string(300, 'a').c_str(), ns_t_txt, &records));
    EXPECT_FALSE(records.timedout());
}

TEST_F(BlockingTest, LookupsRunTogether)
{
    // Two attempts each: run one by one, every name would be asked twice
    // before the next is asked at all.
    Testing::TempFile twice("nameserver 127.0.0.2\noptions timeout:1 attempts:2\n");
    ASSERT_EQ(mount(twice.path(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr), 0);
    std::vector<std::string> names = {"silent-a.together.test", "silent-b.together.test",
                                      "silent-c.together.test"};
    DkimRecords records[3];
    {
        Kestrava::Dns::Lookups lookups{Context()};
        for (size_t i = 0; i < names.size(); ++i)
            ASSERT_NE(lookups.query(names[i].c_str(), ns_t_txt, &records[i]), nullptr);
        lookups.run();
    }
    umount("/etc/resolv.conf");
    std::vector<std::string> asked = Testing::askedNames(names);
    ASSERT_EQ(asked.size(), 6u);
    EXPECT_EQ(std::set<std::string>(asked.begin(), asked.begin() + 3).size(), 3u);
    for (const DkimRecords& record : records)
        EXPECT_TRUE(record.timedout());

    // Enough once the first answer is in: the silent lookup is dropped untold.
    DkimRecords answered;
    DkimRecords silent;
    Kestrava::Dns::Lookups lookups{Context()};
    const Kestrava::Dns::Blocking* first = lookups.query("txt.test", ns_t_txt, &answered);
    lookups.query("silent-d.together.test", ns_t_txt, &silent);
    lookups.run([first] { return first->over(); });
    EXPECT_EQ(answered.records().size(), 1u);
    EXPECT_FALSE(silent.timedout());
}

TEST_F(BlockingTest, UnreadableSystemFilesAreATemporaryFailure)
{
    for (const char* path : {"/etc/resolv.conf", "/etc/hosts"})
    {
        Testing::Unreadable covered(path);
        DkimRecords records;
        try
        {
            Context().query("txt.test", ns_t_txt, &records);
            ADD_FAILURE() << path;
        }
        catch (const Kestrava::Dns::Exception& failure)
        {
            EXPECT_TRUE(failure.temporary()) << path;
        }
    }
}
