#include "dns/records/dkimrecord.h"

#include "dns/message/response.h"
#include "dns/records/dkimrecords.h"
#include "dns/records/mismatch.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <arpa/nameser.h>

using Kestrava::Dns::DkimRecord;
using Kestrava::Dns::DkimRecords;
using Kestrava::Dns::Mismatch;
using Kestrava::Dns::TxtRecord;

namespace
{

/// The record data of a TXT record made of these character-strings.
std::string strings(const std::vector<std::string>& parts)
{
    std::string data;
    for (const std::string& part : parts)
        data += static_cast<char>(part.size()) + part;
    return data;
}

/// A NOERROR answer to a TXT question for "key.test" whose answer section
/// holds records of the given types and data, all owned by that name.
class Answer
{
public:
    void add(uint16_t type, const std::string& data)
    {
        std::string record("\3key\4test\0", 10);
        record += {char(type >> 8),        char(type),       0, 1, 0, 0, 0, 60,
                   char(data.size() >> 8), char(data.size())};
        _records += record + data;
        ++_count;
    }
    void txt(const std::vector<std::string>& parts) { add(ns_t_txt, strings(parts)); }

    /// The message; valid while this object lives unchanged.
    const DNS::Response& response()
    {
        std::string header{0, 1, char(0x81), char(0x80), 0, 1, 0, char(_count), 0, 0, 0, 0};
        std::string question("\3key\4test\0\0\x10\0\1", 14);
        _bytes = header + question + _records;
        _response = std::make_unique<DNS::Response>(
            reinterpret_cast<const unsigned char*>(_bytes.data()), _bytes.size());
        return *_response;
    }
    const ns_msg* handle() { return &response().handle(); }

private:
    std::string _records;
    int _count = 0;
    std::string _bytes;
    std::unique_ptr<DNS::Response> _response;
};

DkimRecord parse(const std::string& text)
{
    Answer answer;
    answer.txt({text});
    return DkimRecord(answer.handle(), 0);
}

std::vector<std::string> tags(const DkimRecord& record)
{
    return {record.v(), record.k(), record.s(), record.h(), record.p(), record.t()};
}

using Strings = std::vector<std::string>;

} // namespace

TEST(DkimRecordTest, ReadsTheSixTagsOfAKeyRecordSplitIntoStrings)
{
    Answer answer;
    answer.txt({"v=DKIM1; k=rsa; s=email; h=sha256", "; t=y:s; p=MIGf", "MA0G"});
    DkimRecord record(answer.handle(), 0);
    EXPECT_EQ(tags(record), (Strings{"DKIM1", "rsa", "email", "sha256", "MIGfMA0G", "y:s"}));
    EXPECT_EQ(record.text(), "v=DKIM1; k=rsa; s=email; h=sha256; t=y:s; p=MIGfMA0G");
    EXPECT_EQ(record.name(), "key.test");
    EXPECT_EQ(record.ttl(), 60u);
}

TEST(DkimRecordTest, FollowsTheTagRules)
{
    // Values lose outer white space only; absent tags read empty.
    EXPECT_EQ(tags(parse("k= rsa \t;p=a b")), (Strings{"", "rsa", "", "", "a b", ""}));
    // Tags count by their whole names; unknown ones are ignored, also
    // beside the known tag they begin like.
    EXPECT_EQ(tags(parse("hash=sha1; x=1; pub=KEY")), (Strings{"", "", "", "", "", ""}));
    EXPECT_EQ(tags(parse("t=s; tx=1; h=sha256; hash=sha1; pk=OTHER; p=KEY")),
              (Strings{"", "", "", "sha256", "KEY", "s"}));
    EXPECT_EQ(parse("p=KEY; pk=OTHER").p(), "KEY");
    // An empty p (a revoked key) stays empty.
    EXPECT_EQ(parse("v=DKIM1; p=").p(), "");
    // White space around a name is skipped, before the first tag too.
    EXPECT_EQ(tags(parse(" k=rsa;  p =X")), (Strings{"", "rsa", "", "", "X", ""}));
    // Two ';' in a row: the next tag starts with ';' and is ignored.
    EXPECT_EQ(parse("k=rsa;;p=X;t=s").p(), "");
    EXPECT_EQ(parse("k=rsa;;p=X;t=s").t(), "s");
    // A tag without '=' ends the list.
    EXPECT_EQ(tags(parse("k=rsa; junk p")), (Strings{"", "rsa", "", "", "", ""}));
    // A record of no version is kept.
    EXPECT_EQ(parse("p=X").v(), "");
}

TEST(DkimRecordTest, RefusesOtherVersionsAndAmbiguousRecords)
{
    std::optional<Mismatch> caught;
    try
    {
        parse("v=DKIM2; p=X");
    }
    catch (const Mismatch& mismatch)
    {
        caught = mismatch;
    }
    ASSERT_TRUE(caught);
    EXPECT_EQ(caught->expected(), ns_t_txt);
    EXPECT_EQ(caught->found(), ns_t_txt);
    EXPECT_THROW(parse("v=dkim1; p=X"), Mismatch);
    EXPECT_THROW(parse("v= ; p=X"), Mismatch);

    EXPECT_EQ(Testing::failureOf([] { parse("p=A; p=B"); }), "duplicate tag in DKIM key record");
    EXPECT_EQ(Testing::failureOf([] { parse("h=sha1; h =sha256"); }),
              "duplicate tag in DKIM key record");
    EXPECT_EQ(Testing::failureOf([] { parse(std::string("p=AB\0CD", 7)); }),
              "NUL in DKIM key record");
    // Tags whose grammar needs a value; empty h= and t= lists are kept.
    EXPECT_EQ(Testing::failureOf([] { parse("k=; p=X"); }), "empty tag in DKIM key record");
    EXPECT_EQ(Testing::failureOf([] { parse("s= ; p=X"); }), "empty tag in DKIM key record");
    EXPECT_EQ(parse("h=; t=; p=X").p(), "X");
}

TEST(DkimRecordTest, TextRecordsJoinEveryStringAndStayInsideTheirData)
{
    Answer answer;
    answer.txt({"p=A", "", "B"});
    answer.add(ns_t_txt, "");
    answer.add(ns_t_txt, std::string("\5abc", 4));
    answer.add(ns_t_a, std::string(4, '\1'));
    EXPECT_EQ(TxtRecord(answer.handle(), 0).text(), "p=AB");
    EXPECT_EQ(TxtRecord(answer.handle(), 1).text(), "");
    EXPECT_EQ(Testing::failureOf([&] { TxtRecord(answer.handle(), 2); }), "malformed TXT record");
    EXPECT_THROW(TxtRecord(answer.handle(), 3), Mismatch);
    EXPECT_EQ(Testing::failureOf([&] { TxtRecord(answer.handle(), 4); }), "failed to parse record");
}

TEST(DkimRecordTest, RecordsOwnWhatTheyKeep)
{
    std::vector<DkimRecord> kept;
    {
        Answer answer;
        answer.txt({std::string("v=DKIM1; p=KEY", 14)});
        kept.push_back(DkimRecord(answer.handle(), 0));
    }
    // The message is gone; the sanitizer build catches any read of it.
    DkimRecord copy = kept.front();
    EXPECT_EQ(copy.p(), "KEY");
    EXPECT_EQ(copy.text(), "v=DKIM1; p=KEY");
    EXPECT_EQ(copy.data().size(), 15u);
    EXPECT_EQ(copy.name(), "key.test");
}

TEST(DkimRecordTest, TheCollectorKeepsKeyRecordsAndSkipsTheRest)
{
    Answer answer;
    answer.txt({"v=DKIM1; k=rsa; ", "p=FIRST"});
    answer.txt({"v=DKIM2; p=OTHER"});
    answer.add(ns_t_txt, std::string("\x40short", 6));
    answer.add(ns_t_a, std::string(4, '\1'));
    answer.txt({"v=spf1 -all"});
    answer.txt({"p=SECOND"});
    DkimRecords records;
    static_cast<DNS::Handler&>(records).onReceived(nullptr, answer.response());
    ASSERT_EQ(records.records().size(), 2u);
    EXPECT_EQ(records.records()[0].p(), "FIRST");
    EXPECT_EQ(records.records()[1].p(), "SECOND");
    EXPECT_FALSE(records.timedout());
    EXPECT_EQ(records.rcode(), 0);
}
