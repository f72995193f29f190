#include "browse/header.h"

#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Kestrava::Browse::Header;
using Kestrava::Browse::Line;
using Testing::failureOf;

namespace
{

/// The failure text of parsing `head`, copied.
std::string failureParsing(const std::string& head)
{
    return failureOf([&] { Header(head.data(), head.size(), false, true); });
}

/// A head parsed in its own writable copy, in place or copied.
struct Parsed
{
    Parsed(const std::string& head, bool copy)
        : text(head), header(&text[0], text.size(), false, copy)
    {
    }
    std::string text;
    Header header;
};

} // namespace

TEST(HeaderTest, ParsesStatusLineAndFieldsInPlaceAndCopied)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 12\r\nX-Empty:\r\n"
                             "X-Tab:\t \tv \r\n\r\nbody after the head";
    for (bool copy : {false, true})
    {
        Parsed parsed(head, copy);
        const Header& header = parsed.header;
        EXPECT_EQ(1, header.major());
        EXPECT_EQ(1, header.minor());
        EXPECT_EQ(200, header.status());
        EXPECT_EQ(head.find("body"), header.size());
        ASSERT_EQ(3u, header.lines().size());
        EXPECT_STREQ("Content-Length", header.lines()[0].name());
        EXPECT_STREQ("12", header.get("content-length"));
        EXPECT_EQ(12u, header.contentLength());
        // Only blanks and tabs follow the colon: an empty value never takes
        // the next line.
        EXPECT_STREQ("", header.get("x-empty"));
        EXPECT_EQ(0u, header.lines()[1].valueSize());
        EXPECT_STREQ("v ", header.get("X-TAB"));
        EXPECT_EQ(nullptr, header.get("x-missing"));
        // In place the caller's bytes carry the terminators; a copy leaves
        // them alone.
        EXPECT_EQ(copy, parsed.text == head);
    }
}

TEST(HeaderTest, CopyTakesTheHeadOnlyAndOutlivesTheText)
{
    std::string text = "HTTP/1.0 404 Not Found\r\nServer: x\r\n\r\nrest";
    Header header(text.data(), text.size(), true, true);
    text.assign(text.size(), '#');
    EXPECT_STREQ("x", header.get("server"));
    EXPECT_TRUE(header.secure());
    Header moved(std::move(header));
    EXPECT_STREQ("x", moved.get("Server"));
    EXPECT_EQ(404, moved.status());
}

TEST(HeaderTest, RejectsMalformedHeadsWithTheirMessages)
{
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"http/1.1 200 OK\r\n\r\n", "Unrecognized HTTP header"},
        {"HTTP/1 200 OK\r\n\r\n", "Unrecognized HTTP header"},
        {"HTTP", "Unrecognized HTTP header"},
        {"HTTP/x.1 200 OK\r\n\r\n", "number missing"},
        {"HTTP/1.x 200 OK\r\n\r\n", "number missing"},
        {"HTTP/1.1 OK\r\n\r\n", "number missing"},
        {"HTTP/1.1  ", "number missing"},
        {"HTTP/1.1-200 OK\r\n\r\n", "whitespace missing"},
        {"HTTP/1.1 200", "whitespace missing"},
        {"HTTP/1.1 200OK\r\n\r\n", "whitespace missing"},
        {"HTTP/1.1 200 OK", "newline missing"},
        {"HTTP/1.1 200 OK\r\n", "empty line after header is missing"},
        {"HTTP/1.1 200 OK\r\nA: b\r\n", "empty line after header is missing"},
        {"HTTP/1.1 200 OK\r\nA: b\r\n\r", "empty line after header is missing"},
        {"HTTP/1.1 200 OK\r\nNo colon here\r\n\r\n", "colon is missing"},
        // The colon of a later line does not count for this one.
        {"HTTP/1.1 200 OK\r\nNo colon\r\nB: c\r\n\r\n", "colon is missing"},
        {"HTTP/1.1 200 OK\r\nA: b", "end-of-line at http header missing"},
        // RFC 9112 section 4: three digits, and no status below 100.
        {"HTTP/1.1 99 OK\r\n\r\n", "invalid status code"},
        {"HTTP/1.1 099 OK\r\n\r\n", "invalid status code"},
        {"HTTP/1.1 2000 OK\r\n\r\n", "invalid status code"},
        // A NUL would cut a value short, a lone CR be read as a line end by
        // some: in a value, a name or the reason phrase.
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\0 junk\r\n\r\n"s,
         "invalid character in http header"},
        {"HTTP/1.1 200 OK\r\nA: b\rc\r\n\r\n", "invalid character in http header"},
        {"HTTP/1.1 200 OK\r\nA: b\r\r\n\r\n", "invalid character in http header"},
        {"HTTP/1.1 200 OK\r\nA\0: b\r\n\r\n"s, "invalid character in http header"},
        {"HTTP/1.1 200 O\0K\r\n\r\n"s, "invalid character in http header"},
        {"HTTP/1.1 200 O\rK\r\n\r\n", "invalid character in http header"},
        // A line that starts with a blank continues a field: there is none
        // right after the status line (RFC 9112 section 2.2).
        {"HTTP/1.1 200 OK\r\n X: y\r\n\r\n", "invalid character in http header"},
        {"HTTP/1.1 200 OK\r\nA: b\r\n c", "end-of-line at http header missing"},
    };
    for (const auto& [head, message] : cases)
        EXPECT_EQ(message, failureParsing(head)) << head;
}

TEST(HeaderTest, ReadsStatusWithoutReasonBareLineFeedsAndFoldedValues)
{
    struct Case
    {
        std::string head;
        int status;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"HTTP/1.1 204\r\n\r\n", 204, {}},
        {"HTTP/1.1 204\n\n", 204, {}},
        {"HTTP/1.1 200 OK\nA: b\nB:\nC: d \n\n", 200, {"b", "", "d "}},
        {"HTTP/1.1 200 OK\r\nA: b\nB: c\r\n\n", 200, {"b", "c"}},
        {"HTTP/1.1 200 OK\nA: b\r\n\r\n", 200, {"b"}},
        // An obsolete line folding is blanks in the value (RFC 9112 section
        // 5.2), a colon on the next line included.
        {"HTTP/1.1 200 OK\r\nA: b\r\n c: d\r\n\te\nB:\r\n f\r\n\r\n", 200, {"b   c: d  \te", "f"}},
    };
    for (const Case& test : cases)
        for (bool copy : {false, true})
        {
            Parsed parsed(test.head + "body", copy);
            EXPECT_EQ(test.status, parsed.header.status()) << test.head;
            EXPECT_EQ(test.head.size(), parsed.header.size()) << test.head;
            std::vector<std::string> values;
            for (const Line& line : parsed.header.lines())
                values.emplace_back(line.value(), line.valueSize());
            EXPECT_EQ(test.values, values) << test.head;
        }
}

TEST(HeaderTest, HugeStatusNumbersDoNotOverflow)
{
    Parsed parsed("HTTP/99999999999.1 999 x\r\n\r\n", true);
    EXPECT_EQ(2147483647, parsed.header.major());
    EXPECT_EQ(999, parsed.header.status());
    EXPECT_EQ("invalid status code", failureParsing("HTTP/1.1 99999999999999 x\r\n\r\n"));
}

TEST(HeaderTest, KeepAliveFollowsConnectionTokensThenVersion)
{
    const std::vector<std::tuple<const char*, const char*, bool>> cases = {
        {"1.1", "", true},
        {"1.0", "", false},
        {"2.0", "", true},
        {"0.9", "", false},
        {"1.1", "Connection: keep-alive, close\r\n", false},
        {"1.1", "Connection: close, keep-alive\r\n", false},
        {"1.1", "Connection: CLOSE \r\n", false},
        {"1.0", "Connection: Upgrade, Keep-Alive\r\n", true},
        {"1.0", "Connection: keep-alive-ish\r\n", false},
        {"1.1", "Connection: closed\r\n", true},
        {"1.1", "Connection: keep-alive\r\nConnection: close\r\n", false},
    };
    for (const auto& [version, field, keep] : cases)
    {
        Parsed parsed(std::string("HTTP/") + version + " 200 OK\r\n" + field + "\r\n", true);
        EXPECT_EQ(keep, parsed.header.keepAlive()) << version << " " << field;
    }
}

TEST(HeaderTest, GetAndNextWalkRepeatedFields)
{
    const std::string head = "HTTP/1.1 200 OK\r\nSet-Cookie: a\r\nOther: x\r\nset-cookie: b\r\n"
                             "SET-COOKIE: a\r\n\r\n";
    for (bool copy : {false, true})
    {
        Parsed parsed(head, copy);
        const Header& header = parsed.header;
        std::vector<std::string> values;
        for (const char* value = header.get("Set-Cookie"); value != nullptr;
             value = header.next(value))
            values.push_back(value);
        EXPECT_EQ((std::vector<std::string>{"a", "b", "a"}), values);
        // Identity, not text: an equal text elsewhere is no field of the head.
        EXPECT_EQ(nullptr, header.next("a"));
        EXPECT_EQ(nullptr, header.next(header.get("other")));
    }
}

TEST(HeaderTest, ChunkedAndContentLengthReadOnlyPlainValues)
{
    auto parse = [](const std::string& fields)
    { return Parsed("HTTP/1.1 200 OK\r\n" + fields + "\r\n", true); };
    EXPECT_TRUE(parse("Transfer-Encoding: Chunked\r\n").header.chunked());
    EXPECT_FALSE(parse("Transfer-Encoding: gzip, chunked\r\n").header.chunked());
    EXPECT_FALSE(
        parse("Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n").header.chunked());
    EXPECT_FALSE(parse("").header.chunked());
    EXPECT_EQ(0u, parse("").header.contentLength());
    EXPECT_EQ(5000000000u, parse("Content-Length: 5000000000\r\n").header.contentLength());
    EXPECT_EQ(0u, parse("Content-Length: 12a\r\n").header.contentLength());
    EXPECT_EQ(0u, parse("Content-Length: -1\r\n").header.contentLength());
    EXPECT_EQ(0u, parse("Content-Length: 99999999999999999999\r\n").header.contentLength());
}

TEST(LineTest, ParsesOneFieldAndComparesNamesIgnoringCase)
{
    std::string text = "Content-Type: text/plain\r\nNext: x\r\n";
    Line line(&text[0], text.size());
    EXPECT_STREQ("Content-Type", line.name());
    EXPECT_STREQ("text/plain", line.value());
    EXPECT_EQ(26u, line.size());
    EXPECT_TRUE(line.equals("content-type"));
    EXPECT_FALSE(line.equals("content"));
}
