// How a lookup goes from one name server to the next: servers that fail,
// refuse the port or do not know EDNS.
#include "dns/context.h"

#include "tests/dns/fixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <arpa/nameser.h>

using Testing::Outcome;
using Strings = std::vector<std::string>;

namespace
{

class FailoverTest : public Testing::ResolverFixture
{
protected:
    struct Row
    {
        // The scripted server acts on names "mix-2r-6a..." (see dnsserver.py).
        const char* name;
        Outcome::Kind kind;
        int rcode;
        Strings answers;
        // Where the name was asked, in order: protocol and last octet of the
        // server, "plain" for a query without EDNS.
        Strings route;
    };

    void check(const Row& row, double limit)
    {
        Outcome outcome = resolve(row.name, ns_t_a, limit);
        EXPECT_EQ(outcome.kind, row.kind) << row.name;
        if (row.kind == Outcome::received) EXPECT_EQ(outcome.rcode, row.rcode) << row.name;
        EXPECT_EQ(outcome.answers, row.answers) << row.name;
        EXPECT_EQ(route(row.name), row.route) << row.name;
    }

    static Strings route(const std::string& name)
    {
        Strings steps;
        for (const std::string& line : Testing::serverLog({name}))
        {
            std::istringstream fields(line);
            std::string protocol, address;
            fields >> protocol >> address;
            if (protocol != "udp" && protocol != "tcp") continue;
            std::string step = protocol + " " + address.substr(address.rfind('.') + 1);
            if (line.find("edns=None") != std::string::npos) step += " plain";
            steps.push_back(step);
        }
        return steps;
    }
};

} // namespace

TEST_F(FailoverTest, ServerFailuresPassTheQuestionOnAtOnce)
{
    // A time-out of 5 s that no row may wait for: only silence costs one.
    make("nameserver 127.0.0.3\nnameserver 127.0.0.2\nnameserver 127.0.0.6\n"
         "options timeout:5 attempts:1\n");
    const Outcome::Kind received = Outcome::received;
    const Row rows[] = {
        {"mix-3r.test", received, 0, {"192.0.2.2"}, {"udp 3", "udp 2"}},
        {"mix-3s-2n.test", received, 0, {"192.0.2.6"}, {"udp 3", "udp 2", "udp 6"}},
        // Every server failed: the last one's failure is the answer.
        {"mix-3r-2s-6n.test", received, ns_r_notimpl, {}, {"udp 3", "udp 2", "udp 6"}},
        // No such name is the name's failure, not the server's.
        {"mix-3x.test", received, ns_r_nxdomain, {}, {"udp 3"}},
        // Asked again without EDNS, whether the FORMERR echoes the question or not.
        {"mix-3e.test", received, 0, {"192.0.2.3"}, {"udp 3", "udp 3 plain"}},
        {"mix-3h.test", received, 0, {"192.0.2.3"}, {"udp 3", "udp 3 plain"}},
        {"mix-3f.test", received, ns_r_formerr, {}, {"udp 3", "udp 3 plain"}},
        // A header without the question (unbound's refusal) is the server's
        // failure as the whole answer is...
        {"mix-3br-2bs.test", received, 0, {"192.0.2.6"}, {"udp 3", "udp 2", "udp 6"}},
        {"mix-3bn-2br-6bs.test", received, ns_r_servfail, {}, {"udp 3", "udp 2", "udp 6"}},
        // Truncated, and TCP refused: the connection (no server on .3), or
        // the question over it.
        {"mix-3t.test", received, 0, {"192.0.2.2"}, {"udp 3", "udp 2"}},
        {"mix-3r-2u.test", received, 0, {"192.0.2.6"}, {"udp 3", "udp 2", "tcp 2", "udp 6"}},
        {"mix-3t-2u-6t.test",
         received,
         0,
         {"192.0.2.6"},
         {"udp 3", "udp 2", "tcp 2", "udp 6", "tcp 6"}},
    };
    for (const Row& row : rows)
        check(row, 2.5);

    // Silence costs the time-out, then the next server is asked.
    make("nameserver 127.0.0.2\nnameserver 127.0.0.6\nnameserver 127.0.0.7\n"
         "options timeout:1 attempts:1\n");
    const Row silent[] = {
        {"mix-2q-6r.test", received, 0, {"192.0.2.7"}, {"udp 2", "udp 6", "udp 7"}},
        // The last server's failure is the last one...
        {"mix-2q-6q-7r.test", received, ns_r_refused, {}, {"udp 2", "udp 6", "udp 7"}},
        // ... as is its silence.
        {"mix-2r-6q-7q.test", Outcome::timeout, 0, {}, {"udp 2", "udp 6", "udp 7"}},
        // Silence over TCP is silence too.
        {"mix-2w-6q-7a.test", received, 0, {"192.0.2.7"}, {"udp 2", "tcp 2", "udp 6", "udp 7"}},
        {"mix-2q-6r-7w.test", Outcome::timeout, 0, {}, {"udp 2", "udp 6", "udp 7", "tcp 7"}},
        // ... but no header alone answers for the name, nor finds fault
        // with a query without EDNS: it is not the server's failure either.
        {"mix-2bx-6ba.test", received, 0, {"192.0.2.7"}, {"udp 2", "udp 6", "udp 7"}},
        {"mix-2bf.test", received, 0, {"192.0.2.6"}, {"udp 2", "udp 2 plain", "udp 6 plain"}},
    };
    for (const Row& row : silent)
        check(row, 20.0);
}

TEST_F(FailoverTest, RefusedPortsArePassedOverAtOnce)
{
    // Nothing listens on 127.0.0.9: its port answers ICMP port unreachable.
    make("nameserver 127.0.0.9\nnameserver 127.0.0.2\noptions timeout:5 attempts:2\n");
    EXPECT_EQ(resolve("a.test", ns_t_a, 2.5).answers, (Strings{"192.0.2.1", "192.0.2.2"}));
    // Many lookups waiting on the refusing server hear of it together.
    std::vector<Testing::Recorder> recorders(20);
    for (auto& recorder : recorders)
        _context->query("a.test", ns_t_a, DNS::Bits(), &recorder);
    ASSERT_TRUE(_loop.run(2.5));
    for (auto& recorder : recorders)
        EXPECT_EQ(recorder.outcome.answers.size(), 2u);

    // With no server left, no answer came: a time-out, without the wait.
    make("nameserver 127.0.0.9\noptions timeout:5 attempts:2\n");
    EXPECT_EQ(resolve("a.test", ns_t_a, 2.5).kind, Outcome::timeout);
}

TEST_F(FailoverTest, LateAnswersToAnEarlierQueryNeverEndTheLookup)
{
    // The server asked first, or the query it was sent first, answers after
    // 2.5 s, when the question has gone on without EDNS to a server (or the
    // same one) whose answer comes after 3 s.
    const Outcome::Kind received = Outcome::received;
    make("nameserver 127.0.0.2\nnameserver 127.0.0.6\noptions timeout:2 attempts:1\n");
    check({"mix-2lf-6d.test", received, 0, {"192.0.2.6"}, {"udp 2", "udp 6", "udp 6 plain"}}, 5.0);
    // A good answer from it is still taken.
    check({"mix-2la-6q.test", received, 0, {"192.0.2.2"}, {"udp 2", "udp 6"}}, 5.0);
    make("nameserver 127.0.0.2\noptions timeout:2 attempts:2\n");
    check({"mix-2lf.test", received, 0, {"192.0.2.2"}, {"udp 2", "udp 2", "udp 2 plain"}}, 5.0);
}
