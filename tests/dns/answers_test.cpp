// Which records of an answer answer the question, through the resolver.
#include "dns/message/answers.h"

#include "dns/blocking/context.h"
#include "dns/context.h"
#include "dns/message/ip.h"
#include "dns/message/printable.h"
#include "dns/message/record.h"
#include "dns/message/response.h"
#include "dns/records/dkimrecords.h"
#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <arpa/nameser.h>

using Strings = std::vector<std::string>;

namespace
{

class AnswersTest : public Testing::ResolverFixture
{
protected:
    /// The addresses that answer an A lookup of the name.
    Strings addresses(const char* name)
    {
        Strings found;
        _context->query(
            name, ns_t_a, DNS::Bits(),
            [&](const DNS::Operation*, const DNS::Response& response)
            {
                for (int index : DNS::Answers(response))
                    found.emplace_back(DNS::Printable(DNS::Ip(DNS::Answer(response, index))));
            },
            [&](const DNS::Operation*, int rcode) { ADD_FAILURE() << name << ": " << rcode; });
        EXPECT_TRUE(_loop.run()) << name;
        return found;
    }
};

} // namespace

TEST_F(AnswersTest, OnlyTheQuestionsNameOrTheEndOfItsAliasesAnswer)
{
    make("nameserver 127.0.0.2\nsearch unrelated.test b.example\noptions timeout:2 attempts:1\n");
    const std::pair<const char*, Strings> rows[] = {
        {"a.test", {"192.0.2.1", "192.0.2.2"}},
        // Nothing but another name's address.
        {"unrelated.test", {}},
        // Two aliases in other letter cases, past a hop and another name
        // that have addresses of their own.
        {"alias.test", {"192.0.2.80", "192.0.2.81"}},
        {"loop.test", {}},
        {"chain8.test", {"192.0.2.8"}},
        {"chain9.test", {}},
        // A search candidate answered with another name's address found
        // nothing: the next one is tried.
        {"mail", {"192.0.2.25"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(addresses(row.first), row.second) << row.first;

    // Nor is a key record of another name collected.
    Kestrava::Dns::DkimRecords records;
    EXPECT_TRUE(Kestrava::Dns::Context().query("unrelated._domainkey.test", ns_t_txt, &records));
    EXPECT_TRUE(records.records().empty());
    EXPECT_EQ(records.rcode(), 0);
}
