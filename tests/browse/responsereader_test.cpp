#include "browse/responsereader.h"

#include "tests/browse/transcript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Kestrava::Browse::Header;
using Kestrava::Browse::ResponseReader;
using Testing::Feeder;
using Testing::Transcript;

namespace
{

using Events = std::vector<std::string>;

/// The transcript of a stream received whole and handed over whole, then
/// cut at every byte position into two pieces, then byte by byte; all must
/// agree.
Events read(const std::string& stream, bool headRequest = false)
{
    auto run = [&](const std::vector<size_t>& cuts)
    {
        Transcript transcript;
        ResponseReader reader(&transcript);
        reader.request(headRequest);
        Feeder feeder(reader);
        size_t from = 0;
        for (size_t cut : cuts)
        {
            feeder.feed(stream.substr(from, cut - from), true);
            from = cut;
        }
        feeder.feed(stream.substr(from));
        EXPECT_FALSE(transcript.reportedAfterMalformed);
        return transcript.events;
    };
    Events whole = run({});
    for (size_t cut = 1; cut < stream.size(); ++cut)
        EXPECT_EQ(whole, run({cut})) << "cut at " << cut;
    std::vector<size_t> bytes;
    for (size_t cut = 1; cut < stream.size(); ++cut)
        bytes.push_back(cut);
    EXPECT_EQ(whole, run(bytes)) << "byte by byte";
    return whole;
}

const std::string ok = "HTTP/1.1 200 OK\r\n";

} // namespace

TEST(ResponseReaderTest, CountedBodyEndsAtItsLength)
{
    EXPECT_EQ((Events{"head 200", "body hello", "end"}),
              read(ok + "Content-Length: 5\r\n\r\nhello"));
    // The length decides even when the server announces its close.
    EXPECT_EQ((Events{"head 200", "body abc", "end"}),
              read(ok + "Connection: close\r\nContent-Length: 3\r\n\r\nabc"));
}

TEST(ResponseReaderTest, ChunkedBodyWithExtensionsAndTrailers)
{
    EXPECT_EQ((Events{"head 200", "body hello", "end"}),
              read(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"));
    EXPECT_EQ((Events{"head 200", "body 0123456789abcdefXYZ", "end"}),
              read(ok + "Transfer-Encoding: chunked\r\n\r\n"
                        "00010 ;name=value\r\n0123456789abcdef\r\n3\t \r\nXYZ\r\n"
                        "0;last\r\nTrailer-A: 1\r\nTrailer-B: 2\r\n\r\n"));
    // A bare LF ends a trailer line as it ends a field line of a head.
    EXPECT_EQ((Events{"head 200", "body hello", "end"}),
              read(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nT: 1\nU: 2\r\n\n"));
    // The largest size that may be written: 15 significant digits.
    EXPECT_EQ((Events{"head 200", "body x"}),
              read(ok + "Transfer-Encoding: chunked\r\n\r\n000fffffffffffffff\r\nx"));
    // Chunked as the last of several codings frames the body too.
    for (const char* codings : {"gzip, chunked", "gzip\r\nTransfer-Encoding: Chunked "})
        EXPECT_EQ((Events{"head 200", "body hello", "end"}),
                  read(ok + "Transfer-Encoding: " + codings + "\r\n\r\n5\r\nhello\r\n0\r\n\r\n"))
            << codings;
    EXPECT_EQ((Events{"head 200", "body 5\r\nhello\r\n0\r\n\r\n"}),
              read(ok + "Transfer-Encoding: chunked, gzip\r\n\r\n5\r\nhello\r\n0\r\n\r\n"));
}

TEST(ResponseReaderTest, MalformedChunkLinesEndsAndTrailersAreLost)
{
    const std::vector<std::string> lines = {
        "", "x", "-1", "5x", "5 5", "0x5", "+5", "1fffffffffffffff", "5\n", " 5",
    };
    for (const std::string& line : lines)
        EXPECT_EQ((Events{"head 200", "malformed"}),
                  read(ok + "Transfer-Encoding: chunked\r\n\r\n" + line + "\r\nhello\r\n0\r\n\r\n"))
            << line;
    EXPECT_EQ((Events{"head 200", "body hello", "malformed"}),
              read(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhelloXX0\r\n\r\n"));
    // Trailer fields are refused for what refuses a head's.
    using namespace std::string_literals;
    for (const std::string& trailer : {"T: a\0b"s, "T: a\rb"s, "T: a\r"s, "T\0: a"s})
        EXPECT_EQ((Events{"head 200", "body hello", "malformed"}),
                  read(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n" + trailer +
                       "\r\n\r\n"))
            << trailer;
}

TEST(ResponseReaderTest, ResponsesWithoutBody)
{
    // Interim responses are reported and skipped, a 101 is final.
    EXPECT_EQ((Events{"head 100", "head 103", "head 200", "body ok", "end"}),
              read("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: x\r\n\r\n" + ok +
                   "Content-Length: 2\r\n\r\nok"));
    for (const char* status : {"204 No Content", "304 Not Modified"})
        EXPECT_EQ((Events{"head " + std::string(status, 3), "end"}),
                  read(std::string("HTTP/1.1 ") + status +
                       "\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"));
}

TEST(ResponseReaderTest, HeadsWithBareLineFeedsAreFramed)
{
    EXPECT_EQ((Events{"head 204", "end"}), read("HTTP/1.1 204\n\n"));
    EXPECT_EQ((Events{"head 200", "body ok", "end"}),
              read("HTTP/1.1 200 OK\nContent-Length: 2\r\n\nok"));
}

TEST(ResponseReaderTest, HeadRequestEndsAfterTheHead)
{
    EXPECT_EQ((Events{"head 200", "end"}), read(ok + "Content-Length: 100\r\n\r\n", true));
    // The next request's answer has its body again.
    Transcript transcript;
    ResponseReader reader(&transcript);
    Feeder feeder(reader);
    reader.request(true);
    feeder.feed(ok + "Content-Length: 100\r\n\r\n");
    reader.request(false);
    feeder.feed(ok + "Content-Length: 1\r\n\r\nx");
    EXPECT_EQ((Events{"head 200", "end", "head 200", "body x", "end"}), transcript.events);
}

TEST(ResponseReaderTest, BodyUntilCloseWhenNothingElseEndsIt)
{
    Transcript transcript;
    ResponseReader reader(&transcript);
    Feeder feeder(reader);
    feeder.feed("HTTP/1.0 200 OK\r\n\r\nfirst ");
    feeder.feed("HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_TRUE(reader.endsWithClose());
    EXPECT_FALSE(reader.usable());
    EXPECT_EQ((Events{"head 200", "body first HTTP/1.1 200 OK\r\n\r\n"}), transcript.events);

    // Kept alive too: what follows the head is body, not the next response.
    EXPECT_EQ((Events{"head 200", "body HTTP/1.1 200 OK\r\n\r\n"}),
              read(ok + "Connection: keep-alive\r\n\r\n" + ok + "\r\n"));

    // A transfer coding other than chunked leaves only the close to end the
    // body, whatever the length says.
    EXPECT_EQ((Events{"head 200", "body abcdef"}),
              read(ok + "Transfer-Encoding: gzip\r\nContent-Length: 2\r\n\r\nabcdef"));
}

TEST(ResponseReaderTest, CountedBodyCutShortDoesNotEndWithClose)
{
    Transcript transcript;
    ResponseReader reader(&transcript);
    Feeder feeder(reader);
    feeder.feed(ok + "Connection: close\r\nContent-Length: 10\r\n\r\nabc");
    EXPECT_FALSE(reader.endsWithClose());
    EXPECT_EQ((Events{"head 200", "body abc"}), transcript.events);
}

TEST(ResponseReaderTest, BadContentLengthsAreLost)
{
    for (const char* value :
         {"12a", "-1", "", "0x10", "1 2", "99999999999999999999", "5\r\nContent-Length: 6",
          // 2^64 + 4: it must not wrap around to a length of 4.
          "18446744073709551620"})
        EXPECT_EQ((Events{"head 200", "malformed"}),
                  read(ok + "Content-Length: " + value + "\r\n\r\n12345678901234"))
            << value;
    EXPECT_EQ((Events{"head 200", "body 12345", "end"}),
              read(ok + "Content-Length:  5 \r\ncontent-length: 5\r\n\r\n12345"));
}

TEST(ResponseReaderTest, MalformedHeadDiscardsTheRest)
{
    EXPECT_EQ((Events{"malformed"}), read("HTTP/1.1 2OO OK\r\n\r\n" + ok + "\r\n"));
    EXPECT_EQ((Events{"head 100", "malformed"}),
              read("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nbroken\r\n\r\n"));
}

TEST(ResponseReaderTest, ResponsesThatLeaveTheStreamUnfitCloseIt)
{
    struct Case
    {
        std::string answer;
        /// Bytes already behind it.
        std::string excess;
        Events events;
        bool closed;
    } cases[] = {
        {ok + "Content-Length: 2\r\n\r\nok", "", {"head 200", "body ok", "end"}, false},
        // Bytes behind a complete answer, whatever frames it, answer nothing.
        {ok + "Content-Length: 2\r\n\r\nok",
         ok + "Content-Length: 0\r\n\r\n",
         {"head 200", "body ok", "end"},
         true},
        {ok + "Content-Length: 2\r\n\r\nok", "\r\n", {"head 200", "body ok", "end"}, true},
        {ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         "x",
         {"head 200", "body ok", "end"},
         true},
        {"HTTP/1.1 204 No Content\r\n\r\n", "stray", {"head 204", "end"}, true},
        {ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\n",
         ok + "Content-Length: 0\r\n\r\n",
         {"head 200", "body ok", "end"},
         true},
        // What follows a 101 is another protocol.
        {"HTTP/1.1 101 Switching Protocols\r\n\r\n", "", {"head 101", "end"}, true},
        // Framing that a Transfer-Encoding took over serves this answer only.
        {ok + "Content-Length: 9\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n",
         "",
         {"head 200", "body ok", "end"},
         true},
        {"HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nTransfer-Encoding: chunked\r\n\r\n"
         "2\r\nok\r\n0\r\n\r\n",
         "",
         {"head 200", "body ok", "end"},
         true},
    };
    for (const Case& test : cases)
        // The excess in the same run of input, or in a later one.
        for (bool split : {false, true})
        {
            Transcript transcript;
            ResponseReader reader(&transcript);
            std::string stream = test.answer + test.excess;
            size_t first = split ? test.answer.size() : stream.size();
            EXPECT_EQ(first, reader.read(&stream[0], first, first < stream.size()));
            EXPECT_EQ(test.events, transcript.events) << test.answer << test.excess;
            EXPECT_EQ(test.closed, reader.closed()) << test.answer << test.excess;
        }
}

TEST(ResponseReaderTest, LinesAndHeadsAreBoundedAt256KiB)
{
    const size_t limit = ResponseReader::lineLimit;
    auto fed = [](const std::string& stream)
    {
        Transcript transcript;
        ResponseReader reader(&transcript);
        Feeder feeder(reader);
        for (size_t at = 0; at < stream.size(); at += 4096)
            feeder.feed(stream.substr(at, 4096));
        EXPECT_LE(feeder.pending(), ResponseReader::lineLimit);
        return transcript.events;
    };
    std::string field = "X: " + std::string(limit, 'a') + "\r\n\r\n";
    EXPECT_EQ((Events{"malformed"}), fed(ok + field));
    std::string fitting = "X: " + std::string(limit - ok.size() - 7, 'a') + "\r\n\r\n";
    EXPECT_EQ((Events{"head 200"}), fed(ok + fitting));
    std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ((Events{"head 200", "malformed"}),
              fed(chunked + "5;" + std::string(limit, 'e') + "\r\nhello\r\n0\r\n\r\n"));
    EXPECT_EQ((Events{"head 200", "malformed"}),
              fed(chunked + "0\r\nT: " + std::string(limit, 't') + "\r\n\r\n"));
}

namespace
{
/// Closes the reader, or throws, from inside onHead.
class Interrupting : public Transcript
{
public:
    explicit Interrupting(bool throwing) : throwing(throwing) {}
    ResponseReader* reader = nullptr;
    bool throwing;
    void onHead(const Header& header) override
    {
        Transcript::onHead(header);
        if (throwing) throw std::runtime_error("handler failure");
        reader->close();
    }
};
} // namespace

TEST(ResponseReaderTest, ReceiverMayCloseOrThrowInsideOnHead)
{
    for (bool throwing : {false, true})
    {
        Interrupting transcript(throwing);
        ResponseReader reader(&transcript);
        transcript.reader = &reader;
        Feeder feeder(reader);
        feeder.feed(ok + "Content-Length: 2\r\n\r\nok" + ok + "\r\n");
        EXPECT_TRUE(reader.closed());
        EXPECT_EQ(0u, feeder.pending());
        EXPECT_EQ(throwing ? (Events{"head 200", "malformed"}) : (Events{"head 200"}),
                  transcript.events);
    }
}
