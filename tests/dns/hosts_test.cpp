#include "dns/config/hosts.h"

#include "dns/message/bits.h"
#include "dns/message/query.h"
#include "dns/message/request.h"
#include "dns/message/reverse.h"
#include "tests/dns/harness.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include <arpa/nameser.h>

using DNS::Hosts;
using DNS::Ip;
using Testing::TempFile;

namespace
{

const char* const table = "# the table\n"
                          "192.0.2.7\tweb WEB.example # note more\n"
                          "192.0.2.8 mail#comment\n"
                          "not-an-address bogus\n"
                          "   \n"
                          "192.0.2.9 dual.example\n"
                          "2001:db8::9 dual.example\r\n"
                          "::ffff:192.0.2.10 mapped.example\n"
                          "fe80::1%lo zoned.example\n"
                          "192.0.2.7 second.example\n";

/// What the table answers to a question, as the answer texts.
Testing::Outcome ask(const Hosts& hosts, const char* name, int type)
{
    DNS::Query query(ns_o_query, name, type, DNS::Bits());
    Testing::Recorder recorder;
    hosts.notify(DNS::Request(query), &recorder, nullptr);
    EXPECT_EQ(recorder.calls, 1);
    return recorder.outcome;
}

} // namespace

TEST(HostsTest, LooksNamesUpIgnoringCase)
{
    TempFile file(table);
    Hosts hosts(file.path());
    ASSERT_NE(hosts.lookup("web.EXAMPLE", 4), nullptr);
    EXPECT_EQ(*hosts.lookup("web.EXAMPLE", 4), Ip("192.0.2.7"));
    EXPECT_EQ(*hosts.lookup("Web", 0), Ip("192.0.2.7"));
    EXPECT_EQ(hosts.lookup("www", 4), nullptr);
    EXPECT_EQ(hosts.lookup("web", 6), nullptr);
    EXPECT_EQ(*hosts.lookup("mapped.example", 4), Ip("192.0.2.10"));
    // An address with a zone index is skipped, as glibc skips it: without
    // its scope it would stand for another host.
    EXPECT_EQ(hosts.lookup("zoned.example", 0), nullptr);
    EXPECT_STREQ(hosts.lookup(Ip("192.0.2.7")), "web");
    EXPECT_EQ(hosts.lookup(Ip("192.0.2.99")), nullptr);
}

TEST(HostsTest, CommentsEndTheLineAnywhere)
{
    TempFile file(table);
    Hosts hosts(file.path());
    for (const char* word : {"#", "note", "more", "bogus", "mail#comment", "comment"})
        EXPECT_EQ(hosts.lookup(word, 0), nullptr) << word;
    EXPECT_EQ(*hosts.lookup("mail", 4), Ip("192.0.2.8"));
}

TEST(HostsTest, AnswersEachFamilyWithItsOwnAddresses)
{
    TempFile file(table);
    Hosts hosts(file.path());
    auto a = ask(hosts, "DUAL.example", ns_t_a);
    EXPECT_EQ(a.rcode, 0);
    EXPECT_EQ(a.answers, std::vector<std::string>{"192.0.2.9"});
    EXPECT_EQ(ask(hosts, "dual.example", ns_t_aaaa).answers,
              std::vector<std::string>{"2001:db8::9"});
    EXPECT_TRUE(ask(hosts, "dual.example", ns_t_mx).answers.empty());
    EXPECT_TRUE(ask(hosts, "unknown.example", ns_t_a).answers.empty());
    EXPECT_EQ(ask(hosts, DNS::Reverse(Ip("192.0.2.7")), ns_t_ptr).answers,
              std::vector<std::string>{"web"});
    EXPECT_TRUE(ask(hosts, DNS::Reverse(Ip("192.0.2.1")), ns_t_ptr).answers.empty());
}

TEST(HostsTest, LoadsMoreFilesAndReportsMissingOnes)
{
    TempFile first("192.0.2.1 one\n"), second("192.0.2.2 two\n");
    Hosts hosts;
    EXPECT_TRUE(hosts.load(first.path()));
    EXPECT_TRUE(hosts.load(second.path()));
    EXPECT_NE(hosts.lookup("one", 4), nullptr);
    EXPECT_NE(hosts.lookup("two", 4), nullptr);
    EXPECT_FALSE(hosts.load("/nonexistent/hosts"));
    try
    {
        Hosts missing("/nonexistent/hosts");
        ADD_FAILURE() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "/nonexistent/hosts: failed to open file");
    }
}
