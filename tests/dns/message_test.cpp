#include "dns/message/query.h"

#include "dns/message/a.h"
#include "dns/message/aaaa.h"
#include "dns/message/bits.h"
#include "dns/message/canonicalizer.h"
#include "dns/message/fakeresponse.h"
#include "dns/message/idgenerator.h"
#include "dns/message/ip.h"
#include "dns/message/record.h"
#include "dns/message/request.h"
#include "dns/message/response.h"
#include "tests/dns/harness.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/nameser.h>

using namespace DNS;
using Testing::failureOf;

namespace
{

/// Writes messages by hand, uncompressed, for the cases our own writers never make.
class Wire
{
public:
    Wire(unsigned id, unsigned flags)
    {
        put16(id), put16(flags), put16(0), put16(0), put16(0), put16(0);
    }

    Wire& question(const std::string& name, unsigned type)
    {
        this->name(name), put16(type), put16(ns_c_in);
        return count(4);
    }
    Wire& record(int section, const std::string& name, unsigned type, unsigned dnsclass,
                 uint32_t ttl, const std::vector<unsigned char>& data)
    {
        this->name(name), put16(type), put16(dnsclass), put16(ttl >> 16), put16(ttl & 0xffff);
        put16(static_cast<unsigned>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        return count(4 + 2 * section);
    }
    Response response() const { return Response(bytes.data(), bytes.size()); }

    std::vector<unsigned char> bytes;

private:
    Wire& count(size_t at)
    {
        ns_put16(ns_get16(&bytes[at]) + 1, &bytes[at]);
        return *this;
    }
    void put16(unsigned value)
    {
        bytes.push_back(static_cast<unsigned char>(value >> 8));
        bytes.push_back(static_cast<unsigned char>(value));
    }
    void name(const std::string& name)
    {
        size_t start = 0;
        while (start < name.size())
        {
            size_t dot = name.find('.', start);
            if (dot == std::string::npos) dot = name.size();
            bytes.push_back(static_cast<unsigned char>(dot - start));
            bytes.insert(bytes.end(), name.begin() + start, name.begin() + dot);
            start = dot + 1;
        }
        bytes.push_back(0);
    }
};

const unsigned responseFlags = 0x8180;

} // namespace

TEST(QueryTest, AdvertisesEdnsPayloadAndAsksForRecursion)
{
    Query query(ns_o_query, "www.example.org", ns_t_a, Bits());
    Request request(query);
    EXPECT_TRUE(request.recursiondesired());
    EXPECT_EQ(request.questions(), 1u);
    ASSERT_EQ(request.additional(), 1u);
    Additional opt(request, 0);
    EXPECT_STREQ(opt.name(), ".");
    EXPECT_EQ(opt.type(), ns_t_opt);
    EXPECT_EQ(opt.dnsclass(), 1200);
    EXPECT_EQ(opt.ttl(), 0u);
    EXPECT_EQ(query.size(), 12 + 17 + 4 + 11u);
}

TEST(QueryTest, CarriesTheDnssecBits)
{
    Query dnssec(ns_o_query, "example.org", ns_t_a, Bits(4));
    EXPECT_EQ(Additional(Request(dnssec), 0).ttl() & 0xffff, 0x8000u);
    EXPECT_EQ(dnssec.data()[3] & 0x30, 0);

    Query checked(ns_o_query, "example.org", ns_t_a, Bits(3));
    EXPECT_EQ(checked.data()[3] & 0x30, 0x30);
    EXPECT_EQ(Additional(Request(checked), 0).ttl(), 0u);
}

TEST(QueryTest, DrawsNonZeroRandomIds)
{
    std::set<unsigned short> ids;
    for (int i = 0; i < 200; ++i)
    {
        Query query(ns_o_query, "example.org", ns_t_a, Bits());
        EXPECT_NE(query.id(), 0);
        EXPECT_EQ(Request(query).id(), query.id());
        ids.insert(query.id());
    }
    EXPECT_GT(ids.size(), 150u);

    IdGenerator first(42), second(42);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(first.generate(), second.generate());
}

TEST(QueryTest, RejectsWhatCannotBeSent)
{
    EXPECT_EQ(failureOf([] { Query(ns_o_query, "a.example", -1, Bits()); }),
              "invalid type passed to dns query");
    EXPECT_EQ(failureOf([] { Query(ns_o_query, "a.example", 65536, Bits()); }),
              "invalid type passed to dns query");
    EXPECT_EQ(failureOf([] { Query(ns_o_update, "a.example", ns_t_a, Bits()); }),
              "invalid dns operation");
    std::string longName;
    for (int i = 0; i < 10; ++i)
        longName += std::string(40, 'x') + ".";
    EXPECT_EQ(failureOf([&] { Query(ns_o_query, longName.c_str(), ns_t_a, Bits()); }),
              "failed domain name compression");
    EXPECT_NO_THROW(Query(ns_o_query, "a.example", 65535, Bits()));
}

TEST(QueryTest, NotifyCarriesItsDataRecord)
{
    Query notify(ns_o_notify, "zone.example", ns_t_soa, Bits(),
                 reinterpret_cast<const unsigned char*>("host.zone.example"));
    Request request(notify);
    EXPECT_EQ(request.opcode(), ns_o_notify);
    ASSERT_EQ(request.records(ns_s_an), 1u);
    Answer data(request, 0);
    EXPECT_STREQ(data.name(), "host.zone.example");
    EXPECT_EQ(data.type(), ns_t_null);
}

TEST(QueryTest, MatchesOnlyItsOwnAnswer)
{
    Query query(ns_o_query, "Mail.Example.org", ns_t_a, Bits());
    auto answer = [&](unsigned id) { return Wire(id, responseFlags); };

    EXPECT_TRUE(query.matches(answer(query.id()).question("mail.example.ORG", ns_t_a).response()));
    EXPECT_FALSE(
        query.matches(answer(query.id() ^ 1).question("mail.example.org", ns_t_a).response()));
    EXPECT_FALSE(
        query.matches(answer(query.id()).question("mail.example.org", ns_t_aaaa).response()));
    EXPECT_FALSE(query.matches(answer(query.id()).question("evil.example.org", ns_t_a).response()));
    EXPECT_FALSE(query.matches(answer(query.id())
                                   .question("mail.example.org", ns_t_a)
                                   .question("mail.example.org", ns_t_a)
                                   .response()));
    EXPECT_FALSE(query.matches(answer(query.id()).response()));
}

TEST(MessageTest, CombinesTheExtendedRcode)
{
    Wire wire(7, responseFlags | 1);
    wire.question("example.org", ns_t_a);
    wire.record(3, "", ns_t_opt, 1200, 1u << 24, {});
    EXPECT_EQ(wire.response().rcode(), 17);

    // Other additional records are passed over; without OPT the header counts.
    Wire plain(7, responseFlags | 3);
    plain.question("example.org", ns_t_a);
    plain.record(3, "ns.example.org", ns_t_a, ns_c_in, 1u << 24, {192, 0, 2, 1});
    EXPECT_EQ(plain.response().rcode(), 3);
}

TEST(MessageTest, CopiesOwnTheirBytes)
{
    auto* wire = new Wire(9, responseFlags);
    wire->question("example.org", ns_t_a)
        .record(1, "example.org", ns_t_a, ns_c_in, 60, {192, 0, 2, 3});
    Response original = wire->response();
    Response copy(original);
    delete wire;
    EXPECT_EQ(copy.id(), 9);
    EXPECT_EQ(Ip(Answer(copy, 0)), Ip("192.0.2.3"));

    unsigned char garbage[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(failureOf([&] { Response(garbage, sizeof garbage); }), "failed to parse dns message");
    EXPECT_EQ(failureOf([&] { Answer(copy, 1); }), "failed to parse record");
}

TEST(MessageTest, CountsRecordsByTypeAndClass)
{
    Wire wire(1, responseFlags);
    wire.question("example.org", ns_t_a)
        .record(1, "example.org", ns_t_a, ns_c_in, 60, {192, 0, 2, 1})
        .record(1, "example.org", ns_t_a, ns_c_chaos, 60, {192, 0, 2, 2})
        .record(1, "example.org", ns_t_cname, ns_c_in, 60, {0});
    Response response = wire.response();
    EXPECT_EQ(response.records(ns_s_an), 3u);
    EXPECT_EQ(response.records(ns_s_an, ns_t_a, ns_c_in), 1u);
}

TEST(RecordTest, ExtractsAddressesOfTheRightTypeOnly)
{
    Wire wire(1, responseFlags);
    wire.question("example.org", ns_t_a)
        .record(1, "example.org", ns_t_a, ns_c_in, 60, {192, 0, 2, 1})
        .record(1, "example.org", ns_t_a, ns_c_in, 60, {192, 0})
        .record(1, "example.org", ns_t_ptr, ns_c_in, 60, {0});
    Response response = wire.response();
    Answer good(response, 0), small(response, 1), other(response, 2);
    EXPECT_EQ(A(good).ip(), Ip("192.0.2.1"));
    EXPECT_EQ(failureOf([&] { A{small}; }), "record too small");
    EXPECT_EQ(failureOf([&] { AAAA{good}; }), "type mismatch / wrong record type");
    EXPECT_EQ(failureOf([&] { Ip{other}; }), "Ips can only be extracted from A and AAAA records");

    Canonicalizer canonical;
    ASSERT_TRUE(A(good).rdata(canonical));
    EXPECT_EQ(std::vector<unsigned char>(canonical.data(), canonical.data() + canonical.size()),
              (std::vector<unsigned char>{0, 0, 0, 4, 192, 0, 2, 1}));
}

TEST(FakeResponseTest, AnswersWithTheRequestsIdAndQuestion)
{
    Query query(ns_o_query, "dual.example", ns_t_aaaa, Bits());
    Request request(query);
    FakeResponse fake(request, Question(request, 0));
    EXPECT_EQ(fake.answers(), 0u);
    Response empty(fake.data(), fake.size());
    EXPECT_EQ(empty.rcode(), 0);
    EXPECT_EQ(empty.records(ns_s_an), 0u);
    EXPECT_TRUE(query.matches(empty));

    ASSERT_TRUE(fake.append("dual.example", Ip("2001:db8::9")));
    Response response(fake.data(), fake.size());
    Answer answer(response, 0);
    EXPECT_EQ(answer.type(), ns_t_aaaa);
    EXPECT_EQ(answer.size(), 16u);
    EXPECT_EQ(Ip(answer), Ip("2001:db8::9"));
    EXPECT_TRUE(response.flag(ns_f_qr));
    EXPECT_TRUE(response.flag(ns_f_ad));
}

TEST(FakeResponseTest, LeavesOutAnswersThatDoNotFit)
{
    Query query(ns_o_query, "9.2.0.192.in-addr.arpa", ns_t_ptr, Bits());
    Request request(query);
    FakeResponse fake(request, Question(request, 0));
    std::string host =
        std::string(60, 'h') + "." + std::string(60, 'o') + "." + std::string(60, 's');
    unsigned written = 0;
    while (fake.append(("x" + std::to_string(written) + "." + host).c_str(), host.c_str()))
        ++written;
    EXPECT_GT(written, 10u);
    EXPECT_LE(fake.size(), 4096u);
    Response response(fake.data(), fake.size());
    EXPECT_EQ(response.records(ns_s_an), written);
    Answer last(response, static_cast<int>(written - 1));
    EXPECT_EQ(last.type(), ns_t_ptr);
}

TEST(QueryTest, NamesAreWrittenAsLibresolvWritesThem)
{
    const std::string long63(63, 'x'), label64(64, 'x');
    std::string fits255, over255;
    for (int i = 0; i < 4; ++i)
        fits255 += long63 + ".";
    fits255.resize(fits255.size() - 1 - 2); // 4 labels of 63, last one 61: 255 octets
    over255 = fits255 + "x";
    auto wireLength = [](const unsigned char* name)
    {
        size_t length = 0;
        while (name[length] != 0)
            length += name[length] + 1;
        return length + 1;
    };
    for (const std::string& name :
         {std::string("a.test"), std::string("MiXeD.Case-name_1.example."), std::string(""),
          std::string("."), std::string("a..b"), std::string(".a"), std::string("a.b.."),
          long63 + ".test", label64 + ".test", fits255, over255, std::string("es\\.caped.test"),
          std::string("\\065\\066.test"), std::string("bad\\")})
    {
        unsigned char expected[NS_MAXCDNAME];
        bool valid = ns_name_pton(name.c_str(), expected, sizeof expected) >= 0;
        std::string failure = Testing::failureOf(
            [&]
            {
                DNS::Query query(ns_o_query, name.c_str(), ns_t_a, DNS::Bits());
                const unsigned char* written = query.data() + NS_HFIXEDSZ;
                EXPECT_EQ(std::string(written, written + wireLength(written)),
                          std::string(expected, expected + (valid ? wireLength(expected) : 0)))
                    << name;
            });
        EXPECT_EQ(failure.empty(), valid) << name << ": " << failure;
    }
}
