// A conversation recorded from RabbitMQ 3.10 (fixtures/broker-session): the
// broker's frames after connection.start, for a client that declared a queue,
// published a message with a headers table of every type, fetched it with
// basic.get twice, deleted the queue and closed.
#include "amqp/frames/receivedframe.h"

#include "amqp/array.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/deferreddelete.h"
#include "amqp/deferredget.h"
#include "amqp/deferredqueue.h"
#include "amqp/message.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/buffers/reducedbuffer.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

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

namespace
{

/// The client of the recorded conversation, replayed on a Connection: the
/// broker's octets (the session cut at split, and the rest after the
/// client's close) are fed as they came; returns the events seen.
std::vector<std::string> replay(const std::string& session, size_t split)
{
    AMQPTest::ScriptedHandler handler;
    Connection connection(&handler, Login("plumo", "plumo"), "/");
    std::vector<std::string>& events = handler._events;
    auto consumed = AMQPTest::feed(connection, fixture("broker-connection-start"));
    // Opened during the handshake: everything waits until the broker is ready.
    Channel channel(&connection);
    channel.declareQueue("fuzzseed", 0, Table())
        .onSuccess([&](const std::string& name, uint32_t messages, uint32_t)
                   { events.push_back("declared " + name + " " + std::to_string(messages)); });
    channel.get("fuzzseed", 0)
        .onReceived(
            [&](const Message& message, uint64_t tag, bool)
            {
                events.push_back("got " + std::to_string(tag) + " " + message.contentType() + " " +
                                 std::to_string(message.bodySize()) + " octets, headers " +
                                 std::to_string(message.headers().keys().size()));
            });
    channel.get("fuzzseed", 0).onEmpty([&] { events.push_back("empty"); });
    channel.removeQueue("fuzzseed", 0)
        .onSuccess([&](uint32_t count) { events.push_back("deleted " + std::to_string(count)); });
    consumed += AMQPTest::feed(connection, session.substr(0, split));
    if (connection.close()) consumed += AMQPTest::feed(connection, session.substr(split));
    events.push_back(std::to_string(consumed) + " octets read");
    return events;
}

} // namespace

TEST(SessionTest, RecordedConversationReplaysThroughAConnection)
{
    std::string session = fixture("broker-session");
    std::string closeOK = AMQPTest::connectionCloseOK();
    ASSERT_EQ(session.substr(session.size() - closeOK.size()), closeOK);
    auto events = replay(session, session.size() - closeOK.size());
    size_t total = fixture("broker-connection-start").size() + session.size();
    EXPECT_EQ(events,
              (AMQPTest::Names{"properties", "ready", "declared fuzzseed 0",
                               "got 1 application/json 5016 octets, headers 8", "empty",
                               "deleted 0", "closed", std::to_string(total) + " octets read"}));
}

TEST(SessionTest, CorruptedConversationEndsInOneErrorAtMost)
{
    // Under the sanitizers this also shows that no corrupted octet makes the
    // engine read or free what it must not.
    std::string session = fixture("broker-session");
    size_t split = session.size() - AMQPTest::connectionCloseOK().size();
    for (size_t position = 0; position < session.size(); ++position)
    {
        std::string corrupted = session;
        corrupted[position] = char(~corrupted[position]);
        auto events = replay(corrupted, split);
        auto errors =
            std::count_if(events.begin(), events.end(),
                          [](const std::string& event) { return event.rfind("error: ", 0) == 0; });
        EXPECT_LE(errors, 1) << position;
    }
}
