// A conversation recorded from RabbitMQ 3.10 (fixtures/broker-session): the
// broker's frames after connection.start, for a client that declared a queue,
// published a message with a headers table of every type, fetched it with
// basic.get twice, deleted the queue and closed.
#include "amqp/receivedframe.h"

#include "amqp/array.h"
#include "amqp/message.h"
#include "amqp/protocolexception.h"
#include "amqp/reducedbuffer.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

std::string fixture(const char* name)
{
    std::ifstream file(std::string(AMQP_TEST_FIXTURES) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

/// Every frame of octets, cut and processed as the connection does.
std::vector<std::shared_ptr<Frame>> frames(const std::string& octets)
{
    ByteBuffer buffer(octets.data(), octets.size());
    RecordingProcessor processor;
    std::vector<std::shared_ptr<Frame>> frames;
    size_t processed = 0;
    while (processed < octets.size())
    {
        ReducedBuffer rest(buffer, processed);
        ReceivedFrame frame(rest, 131072);
        EXPECT_TRUE(frame.complete());
        if (!frame.complete()) break;
        frame.process(&processor);
        frames.push_back(processor.last());
        processed += frame.totalSize();
    }
    return frames;
}

} // namespace

TEST(SessionTest, RecordedBrokerFramesDecodeAndEncodeBackTheSame)
{
    std::string octets = fixture("broker-session");
    ASSERT_FALSE(octets.empty());
    auto received = frames(octets);
    ASSERT_EQ(received.size(), 10u);
    EXPECT_EQ(dynamic_cast<ConnectionTuneFrame&>(*received[0]).frameMax(), 131072u);
    EXPECT_NE(dynamic_cast<ConnectionOpenOKFrame*>(received[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<ChannelOpenOKFrame*>(received[2].get()), nullptr);
    EXPECT_EQ(dynamic_cast<QueueDeclareOKFrame&>(*received[3]).name(), "fuzzseed");
    EXPECT_EQ(dynamic_cast<BasicGetOKFrame&>(*received[4]).routingKey(), "fuzzseed");
    EXPECT_NE(dynamic_cast<BasicGetEmptyFrame*>(received[7].get()), nullptr);
    EXPECT_EQ(dynamic_cast<QueueDeleteOKFrame&>(*received[8]).messageCount(), 0u);
    EXPECT_NE(dynamic_cast<ConnectionCloseOKFrame*>(received[9].get()), nullptr);

    std::string reencoded;
    for (const auto& frame : received)
        reencoded += encode(*frame);
    EXPECT_EQ(reencoded, octets);
}

TEST(SessionTest, HeadersOfEveryTypeComeBackThroughTheBroker)
{
    std::string octets = fixture("broker-session");
    auto received = frames(octets);
    ASSERT_EQ(received.size(), 10u);
    auto& header = dynamic_cast<BasicHeaderFrame&>(*received[5]);
    const MetaData& metaData = header.metaData();
    EXPECT_EQ(metaData.contentType(), "application/json");
    EXPECT_EQ(metaData.deliveryMode(), 2);
    const Table& headers = metaData.headers();
    // The publisher wrote 'd' and 'f' in network order, as other clients do.
    EXPECT_EQ(static_cast<double>(headers.get("d")), 1.5);
    EXPECT_EQ(static_cast<float>(headers.get("f")), 2.5f);
    EXPECT_EQ(headers.get("x").typeID(), 'x');
    EXPECT_EQ(static_cast<const std::string&>(headers.get("x")), std::string("\0\1\2", 3));
    EXPECT_DOUBLE_EQ(static_cast<double>(headers.get("dec")), 123.45);
    EXPECT_EQ(static_cast<uint64_t>(headers.get("ts")), 1700000000u);
    EXPECT_EQ(static_cast<long>(headers.get("l")), -3);
    EXPECT_EQ(static_cast<const Array&>(headers.get("a")).count(), 3u);
    EXPECT_EQ(static_cast<int>(static_cast<const Table&>(headers.get("t")).get("n")), 5);

    auto& body = dynamic_cast<BodyFrame&>(*received[6]);
    ASSERT_EQ(header.bodySize(), body.payloadSize());
    Message message("", "fuzzseed");
    message.setBodySize(header.bodySize());
    message.append(body.payload(), body.payloadSize());
    EXPECT_EQ(std::string(message.body(), 14), "{\"document\": \"");
}

namespace
{

/// Parses frame after frame as the connection does; true when every
/// complete frame was processed, false when a ProtocolException stopped it.
bool parseAll(const std::string& octets, size_t& processed)
{
    ByteBuffer buffer(octets.data(), octets.size());
    RecordingProcessor processor;
    processed = 0;
    try
    {
        while (processed < octets.size())
        {
            ReducedBuffer rest(buffer, processed);
            ReceivedFrame frame(rest, 131072);
            if (!frame.complete()) return true;
            frame.process(&processor);
            processed += frame.totalSize();
        }
    }
    catch (const ProtocolException&)
    {
        return false;
    }
    return true;
}

} // namespace

TEST(SessionTest, EveryTruncationWaitsForMoreOctets)
{
    std::string octets = fixture("broker-session");
    for (size_t length = 0; length < octets.size(); ++length)
    {
        size_t processed = 0;
        EXPECT_TRUE(parseAll(octets.substr(0, length), processed)) << length;
        EXPECT_LE(processed, length);
    }
}

TEST(SessionTest, CorruptionNeverReachesBackToEarlierFrames)
{
    // Under the sanitizers this also shows that no corrupted octet makes a
    // decoder read outside its frame.
    std::string octets = fixture("broker-session");
    std::vector<size_t> starts;
    for (size_t start = 0; start < octets.size();)
    {
        starts.push_back(start);
        start += 8 + (uint8_t(octets[start + 3]) << 24 | uint8_t(octets[start + 4]) << 16 |
                      uint8_t(octets[start + 5]) << 8 | uint8_t(octets[start + 6]));
    }
    starts.push_back(octets.size());
    for (size_t frame = 0; frame + 1 < starts.size(); ++frame)
    {
        for (size_t position = starts[frame]; position < starts[frame + 1]; ++position)
        {
            for (char value : {'\x00', '\xFF', '\x7F'})
            {
                if (octets[position] == value) continue;
                std::string corrupted = octets;
                corrupted[position] = value;
                size_t processed = 0;
                bool parsed = parseAll(corrupted, processed);
                EXPECT_GE(processed, starts[frame]) << position;
                if (position + 1 == starts[frame + 1])
                {
                    // A wrong end marker is caught before the frame is used.
                    EXPECT_FALSE(parsed) << position;
                    EXPECT_EQ(processed, starts[frame]) << position;
                }
            }
        }
    }
}
