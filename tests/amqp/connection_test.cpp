// The connection engine against scripted broker octets: handshake, framing
// of the input, limits, channel ids, closing, and the broker's errors.
#include "amqp/connection.h"

#include "amqp/channel.h"
#include "amqp/frames/connectionframes.h"
#include "amqp/deferred.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferreddelete.h"
#include "amqp/deferredqueue.h"
#include "amqp/envelope.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/stringfield.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

/// The arguments of the start-ok the client wrote.
struct StartOK
{
    explicit StartOK(const SentFrame& frame)
    {
        EXPECT_EQ(frame.classID(), 10);
        EXPECT_EQ(frame.methodID(), 11);
        std::string arguments = frame.arguments();
        ByteBuffer buffer(arguments.data(), arguments.size());
        InBuffer in(buffer);
        _properties = Table(in);
        _mechanism = ShortString(in).value();
        _response = LongString(in).value();
        _locale = ShortString(in).value();
        EXPECT_EQ(in.available(), 0u);
    }

    Table _properties;
    std::string _mechanism, _response, _locale;
};

std::string text(const Table& table, const char* key)
{
    return static_cast<const std::string&>(table.get(key));
}

/// A handler with nothing but the one operation that must be given.
class MinimalHandler : public ConnectionHandler
{
public:
    void onData(Connection*, const char* buffer, size_t size) override
    {
        _written.append(buffer, size);
    }
    std::string _written;
};

} // namespace

TEST(ConnectionTest, ConstructionWritesTheProtocolHeaderAndExpectsAFrameHeader)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    EXPECT_EQ(handler._writes, 1u);
    EXPECT_EQ(handler._written, std::string("AMQP\x00\x00\x09\x01", 8));
    EXPECT_EQ(connection.expected(), 7u);
    EXPECT_EQ(connection.maxFrame(), 4096u);
    EXPECT_TRUE(connection.usable());
}

TEST(ConnectionTest, StartIsAnsweredWithPropertiesPlainLoginAndLocale)
{
    ScriptedHandler handler;
    std::string serverProduct;
    handler._onProperties = [&](const Table& server, Table&)
    { serverProduct = text(server, "product"); };
    Connection connection(&handler, Login("user", "secret"), "/");
    handler.take();
    std::string start = connectionStart();
    EXPECT_EQ(feed(connection, start), start.size());
    EXPECT_EQ(serverProduct, "RabbitMQ");

    auto frames = sentFrames(handler.take());
    ASSERT_EQ(frames.size(), 1u);
    StartOK startOK(frames[0]);
    EXPECT_EQ(text(startOK._properties, "product"), "Kestrava AMQP library");
    EXPECT_EQ(text(startOK._properties, "version"), "Unknown");
    EXPECT_EQ(text(startOK._properties, "platform"), "Unknown");
    EXPECT_FALSE(text(startOK._properties, "copyright").empty());
    EXPECT_FALSE(text(startOK._properties, "information").empty());
    const Table& capabilities = startOK._properties.get("capabilities");
    const std::vector<std::string> announced = {"authentication_failure_close",
                                                "connection.blocked", "consumer_cancel_notify"};
    EXPECT_EQ(capabilities.keys(), announced);
    for (const auto& capability : announced)
    {
        EXPECT_EQ(capabilities.get(capability).typeID(), 't') << capability;
        EXPECT_EQ(encode(capabilities.get(capability)), "\x01") << capability;
    }
    EXPECT_EQ(startOK._mechanism, "PLAIN");
    EXPECT_EQ(startOK._response, std::string("\0user\0secret", 12));
    EXPECT_EQ(startOK._locale, "en_US");
}

TEST(ConnectionTest, PropertiesTheHandlerSetAreKept)
{
    ScriptedHandler handler;
    handler._onProperties = [](const Table&, Table& client)
    {
        client["product"] = "Webhook";
        client["connection_name"] = "results";
    };
    Connection connection(&handler, Login("user", "pass"), "/");
    handler.take();
    feed(connection, connectionStart());
    auto frames = sentFrames(handler.take());
    ASSERT_EQ(frames.size(), 1u);
    StartOK startOK(frames[0]);
    EXPECT_EQ(text(startOK._properties, "product"), "Webhook");
    EXPECT_EQ(text(startOK._properties, "connection_name"), "results");
    EXPECT_EQ(text(startOK._properties, "version"), "Unknown");
    EXPECT_TRUE(startOK._properties.contains("capabilities"));
}

TEST(ConnectionTest, TuneOkEchoesTheLimitsWithTheNegotiatedHeartbeatThenOpens)
{
    ScriptedHandler handler;
    handler._heartbeat = 30;
    Connection connection(&handler, Login("user", "pass"), "vhost");
    feed(connection, connectionStart());
    handler.take();
    feed(connection, connectionTune(2047, 131072, 60));
    EXPECT_EQ(handler._offeredHeartbeat, 60);
    EXPECT_EQ(handler.take(), encode(ConnectionTuneOKFrame(2047, 131072, 30)) +
                                  encode(ConnectionOpenFrame("vhost")));
    EXPECT_EQ(connection.maxFrame(), 131072u);
    EXPECT_EQ(connection.maxPayload(), 131064u);

    // A handler that does not negotiate agrees to no heartbeats.
    MinimalHandler minimal;
    Connection other(&minimal, Login("user", "pass"), "/");
    feed(other, connectionStart());
    minimal._written.clear();
    feed(other, connectionTune(0, 131072, 60));
    EXPECT_EQ(minimal._written,
              encode(ConnectionTuneOKFrame(0, 131072, 0)) + encode(ConnectionOpenFrame("/")));
}

TEST(ConnectionTest, OpenOkMakesTheConnectionReady)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart() + connectionTune(0, 131072, 0));
    handler.take();
    feed(connection, connectionOpenOK());
    EXPECT_EQ(handler._events, (Names{"properties", "ready"}));
    EXPECT_TRUE(handler.take().empty());
    EXPECT_TRUE(connection.usable());
}

TEST(ConnectionTest, FrameMaxWithoutLimitIsAnsweredWithALimitOfOurOwn)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart());
    handler.take();
    feed(connection, connectionTune(0, 0, 0));
    EXPECT_EQ(connection.maxFrame(), 131072u);
    auto frames = sentFrames(handler.take());
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0]._payload, encode(ConnectionTuneOKFrame(0, 131072, 0)).substr(7, 12));
}

TEST(ConnectionTest, ParseConsumesWholeFramesAndSaysWhatItExpects)
{
    Conversation conversation;
    Connection& connection = *conversation._connection;
    std::string frame = frameOf(3, 9, std::string(100, 'x'));
    EXPECT_EQ(feed(connection, frame.substr(0, 3)), 0u);
    EXPECT_EQ(connection.expected(), 7u);
    EXPECT_EQ(feed(connection, frame.substr(0, 7)), 0u);
    EXPECT_EQ(connection.expected(), 108u);
    EXPECT_EQ(feed(connection, frame.substr(0, 107)), 0u);
    EXPECT_EQ(connection.expected(), 108u);
    // A whole frame and the start of the next: only the whole one goes.
    EXPECT_EQ(feed(connection, frame + frame.substr(0, 10)), frame.size());
    EXPECT_EQ(connection.expected(), 108u);
    EXPECT_EQ(feed(connection, frame), frame.size());
    EXPECT_EQ(connection.expected(), 7u);
    // That was a body for a channel that does not exist: no effect at all.
    EXPECT_TRUE(conversation._handler._written.empty());
    EXPECT_TRUE(conversation._handler._events.empty());
}

TEST(ConnectionTest, FramesForAnUnknownChannelAreConsumedWithoutEffect)
{
    Conversation conversation;
    auto channel = conversation.openChannel();
    std::string frames = queueDeclareOK(7, "q") + deliver(7, "tag", 1) + contentHeader(7, 3) +
                         contentBody(7, "abc") + channelCloseOK(7) + brokerAck(7, 1, false);
    conversation.send(frames);
    EXPECT_TRUE(conversation._handler._written.empty());
    EXPECT_TRUE(conversation._handler._events.empty());
    EXPECT_TRUE(channel->usable());
}

TEST(ConnectionTest, HeartbeatsGoBothWays)
{
    Conversation conversation;
    conversation.send(frameOf(8, 0, ""));
    EXPECT_EQ(conversation._handler._events, Names{"heartbeat"});
    EXPECT_TRUE(conversation._connection->heartbeat());
    EXPECT_EQ(conversation._handler.take(), std::string("\x08\x00\x00\x00\x00\x00\x00\xCE", 8));
}

TEST(ConnectionTest, BlockedAndUnblockedReachTheHandlerWithTheBrokersReasonAmidAMessage)
{
    Conversation conversation;
    auto channel = conversation.openChannel();
    std::vector<std::string> received;
    channel->consume("q", "tag", 0, Table())
        .onReceived([&](const Message& message, uint64_t, bool)
                    { received.emplace_back(message.body(), message.bodySize()); });
    conversation.send(consumeOK(1, "tag"));
    conversation._handler.take();
    // RabbitMQ's own notices; channel 0 may cut into another channel's
    // message.
    conversation.send(connectionBlocked("low on memory") + deliver(1, "tag", 1) +
                      contentHeader(1, 3) + connectionUnblocked() + contentBody(1, "abc") +
                      connectionBlocked(""));
    EXPECT_EQ(conversation._handler._events,
              (Names{"blocked: low on memory", "unblocked", "blocked: "}));
    EXPECT_EQ(received, Names{"abc"});
    EXPECT_TRUE(conversation._handler._written.empty());
    EXPECT_TRUE(channel->usable());
}

TEST(ConnectionTest, ChannelIdsCountUpwardsAndStopAtTheBrokersLimit)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart() + connectionTune(2, 131072, 0) + connectionOpenOK());
    handler.take();
    auto first = std::make_unique<Channel>(&connection);
    Channel second(&connection);
    EXPECT_EQ(describe(handler.take()), (Names{"1:20.10", "2:20.10"}));
    try
    {
        Channel third(&connection);
        FAIL() << "a third channel was opened";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "failed to open channel: max number of channels has been reached");
    }
    feed(connection, channelOpenOK(1) + channelOpenOK(2));
    // Channel 1 closes; its id is not handed out again before the counter wraps.
    first.reset();
    EXPECT_EQ(describe(handler.take()), Names{"1:20.40"});
    feed(connection, channelCloseOK(1));
    Channel fourth(&connection);
    EXPECT_EQ(describe(handler.take()), Names{"3:20.10"});
}

TEST(ConnectionTest, ChannelIdsRunOutWithoutALimit)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart() + connectionTune(0, 131072, 0) + connectionOpenOK());
    handler.take();
    std::vector<std::unique_ptr<Channel>> channels;
    for (unsigned id = 1; id <= 65535; ++id)
        channels.push_back(std::make_unique<Channel>(&connection));
    EXPECT_THROW(Channel extra(&connection), std::runtime_error);
    EXPECT_EQ(sentFrames(handler.take()).size(), 65535u);
}

TEST(ConnectionTest, NoChannelOpensOnAConnectionThatIsClosing)
{
    Conversation conversation;
    EXPECT_TRUE(conversation._connection->close());
    EXPECT_FALSE(conversation._connection->usable());
    try
    {
        Channel channel(conversation._connection.get());
        FAIL() << "a channel was opened";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "failed to open channel: connection is not active");
    }
}

TEST(ConnectionTest, CloseSendsCloseAndCloseOkEndsTheConnection)
{
    Conversation conversation;
    ScriptedHandler& handler = conversation._handler;
    EXPECT_TRUE(conversation._connection->close());
    EXPECT_EQ(handler.take(), encode(ConnectionCloseFrame(0, "shutdown", 0, 0)));
    EXPECT_FALSE(conversation._connection->close());
    // Heartbeats go on while the close waits, or the broker's heartbeat
    // time-out would drop a slow close.
    EXPECT_TRUE(conversation._connection->heartbeat());
    EXPECT_EQ(describe(handler.take()), Names{"heartbeat"});
    conversation.send(connectionCloseOK());
    EXPECT_EQ(handler._events, Names{"closed"});
    // Closed: nothing is read or sent any more.
    EXPECT_EQ(feed(*conversation._connection, frameOf(8, 0, "")), 0u);
    EXPECT_FALSE(conversation._connection->heartbeat());
    EXPECT_FALSE(conversation._connection->fail("lost"));
}

TEST(ConnectionTest, CloseAfterFailReturnsFalse)
{
    Conversation conversation;
    EXPECT_TRUE(conversation._connection->fail("connection lost"));
    EXPECT_FALSE(conversation._connection->close());
    EXPECT_FALSE(conversation._connection->fail("again"));
    // fail is the transport's own news: the handler is not told again.
    EXPECT_TRUE(conversation._handler._events.empty());
    EXPECT_TRUE(conversation._handler._written.empty());
}

TEST(ConnectionTest, CloseDuringTheHandshakeWaitsForTheConnectionToBeReady)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart());
    handler.take();
    EXPECT_TRUE(connection.close());
    EXPECT_TRUE(handler.take().empty());
    // The handshake goes on; the close follows once the connection is ready.
    feed(connection, connectionTune(0, 131072, 0));
    EXPECT_EQ(describe(handler.take()), (Names{"0:10.31", "0:10.40"}));
    handler._onReady = [&] { EXPECT_TRUE(handler._written.empty()); };
    feed(connection, connectionOpenOK());
    EXPECT_EQ(handler._events, (Names{"properties", "ready"}));
    EXPECT_EQ(describe(handler.take()), Names{"0:10.50"});
}

TEST(ConnectionTest, CloseWaitsForTheRepliesOfAChannelOpenedDuringTheHandshake)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), "/");
    feed(connection, connectionStart() + connectionTune(0, 131072, 0));
    handler.take();
    Channel channel(&connection);
    channel.declareQueue("q", 0, Table());
    // Queued and held until the connection and then the channel are open.
    EXPECT_TRUE(handler.take().empty());
    EXPECT_TRUE(connection.close());
    feed(connection, connectionOpenOK());
    EXPECT_EQ(describe(handler.take()), Names{"1:20.10"});
    feed(connection, channelOpenOK(1));
    EXPECT_EQ(describe(handler.take()), Names{"1:50.10"});
    // The channel's close was held behind the declaration too.
    feed(connection, queueDeclareOK(1, "q"));
    EXPECT_EQ(describe(handler.take()), Names{"1:20.40"});
    feed(connection, channelCloseOK(1));
    EXPECT_EQ(describe(handler.take()), Names{"0:10.50"});
}

TEST(ConnectionTest, BrokerCloseFailsEveryChannelThenTellsTheHandler)
{
    Conversation conversation;
    auto first = conversation.openChannel();
    auto second = conversation.openChannel();
    std::vector<std::string>& events = conversation._handler._events;
    auto record = [&](std::string prefix)
    { return [&events, prefix](const char* message) { events.push_back(prefix + message); }; };
    first->declareQueue("a", 0, Table()).onError(record("first declare: "));
    first->bindQueue("x", "a", "a", Table()).onError(record("first bind: "));
    first->onError(record("first channel: "));
    second->removeQueue("b", 0).onError(record("second delete: "));
    second->onError(record("second channel: "));
    conversation._handler.take();

    conversation.send(connectionClose(320, "CONNECTION_FORCED - shutdown"));
    EXPECT_EQ(describe(conversation._handler.take()), Names{"0:10.51"});
    ASSERT_EQ(events.size(), 6u);
    // Channels fail in the order of the table; within each, the oldest
    // result gets the broker's text.
    std::vector<std::string> firstEvents, secondEvents;
    for (const auto& event : events)
    {
        if (event.rfind("first", 0) == 0) firstEvents.push_back(event);
        if (event.rfind("second", 0) == 0) secondEvents.push_back(event);
    }
    EXPECT_EQ(firstEvents, (Names{"first declare: CONNECTION_FORCED - shutdown",
                                  "first bind: Channel is in error state",
                                  "first channel: CONNECTION_FORCED - shutdown"}));
    EXPECT_EQ(secondEvents, (Names{"second delete: CONNECTION_FORCED - shutdown",
                                   "second channel: CONNECTION_FORCED - shutdown"}));
    EXPECT_EQ(events.back(), "error: CONNECTION_FORCED - shutdown");
    // The connection is over: nothing opens or goes out any more.
    EXPECT_FALSE(conversation._connection->usable());
    EXPECT_FALSE(first->usable());
    EXPECT_FALSE(first->publish("", "a", Envelope("x", 1), 0));
    EXPECT_THROW(Channel(conversation._connection.get()), std::runtime_error);
    EXPECT_TRUE(conversation._handler._written.empty());
}

TEST(ConnectionTest, BrokerCloseDuringTheHandshakeIsAnsweredAtOnce)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "wrong"), "/");
    feed(connection, connectionStart());
    handler.take();
    std::string text = "ACCESS_REFUSED - Login was refused using authentication mechanism PLAIN.";
    std::string close = connectionClose(403, text);
    EXPECT_EQ(feed(connection, close), close.size());
    EXPECT_EQ(describe(handler.take()), Names{"0:10.51"});
    EXPECT_EQ(handler._events, (Names{"properties", "error: " + text}));
}

TEST(ConnectionTest, BrokerCloseThatCrossesOursIsStillAnswered)
{
    Conversation conversation;
    conversation._connection->close();
    conversation._handler.take();
    conversation.send(connectionClose(541, "INTERNAL_ERROR"));
    EXPECT_EQ(describe(conversation._handler.take()), Names{"0:10.51"});
    EXPECT_EQ(conversation._handler._events, Names{"error: INTERNAL_ERROR"});
}
