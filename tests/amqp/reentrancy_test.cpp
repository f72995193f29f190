// The connection or the channel destroyed inside each callback of the
// engine, one callback per test, with the broker's frames all fed in one
// parse; the sanitizer build shows any use of what was destroyed.
#include "amqp/channel.h"

#include "amqp/deferredcancel.h"
#include "amqp/deferredconfirm.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredget.h"
#include "amqp/deferredqueue.h"
#include "amqp/deferredrecall.h"
#include "amqp/envelope.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

enum class Victim
{
    connection,
    channel
};

/// A whole conversation in which every callback reports an event; at the
/// chosen event the victim is destroyed.
class Scenario
{
public:
    Scenario(std::string event, Victim victim) : _event(std::move(event)), _victim(victim) {}

    ~Scenario()
    {
        // Results still waiting report their finalize while these go.
        _channel.reset();
        _connection.reset();
    }

    void run()
    {
        _connection = std::make_unique<Connection>(&_handler, Login("user", "pass"), "/");
        _handler._onData = [this]
        {
            handlerEvent(_phase);
            // The header of a body frame is out, the body not yet.
            if (++_writes == 3 && _phase == "data during publish")
                handlerEvent("data amid a frame");
        };
        _handler._onReady = [this] { handlerEvent("connection ready"); };
        _handler._onHeartbeat = [this] { handlerEvent("heartbeat"); };
        _handler._onBlocked = [this] { handlerEvent("blocked"); };
        _handler._onUnblocked = [this] { handlerEvent("unblocked"); };
        _handler._onError = [this] { handlerEvent("connection error"); };

        _phase = "data during handshake";
        if (!feed(connectionStart() + connectionTune(0, 16384, 0) + connectionOpenOK())) return;
        _phase = "data";
        _channel = std::make_unique<Channel>(_connection.get());
        _channel->onReady(on("channel ready"));
        _channel->onError([this](const char*) { event("channel error"); });
        if (!feed(channelOpenOK(1)) || !_channel) return;

        // Written at once, in several pieces: the body is bigger than one frame.
        _phase = "data during publish";
        _writes = 0;
        std::string body(40000, 'p');
        _channel->publish("", "q", Envelope(body.data(), body.size()), 0);
        _phase = "data";
        if (!_connection || !_channel) return;
        request();
        feed(replies());
    }

    bool happened(const std::string& name) const
    {
        return std::find(_events.begin(), _events.end(), name) != _events.end();
    }

private:
    std::function<void()> on(const std::string& name)
    {
        return [this, name] { event(name); };
    }

    void handlerEvent(const std::string& name)
    {
        // Once the connection is gone its handler hears nothing more.
        EXPECT_FALSE(_connectionDestroyed) << name;
        event(name);
    }

    void event(const std::string& name)
    {
        _events.push_back(name);
        if (name != _event || _done) return;
        _done = true;
        if (_victim == Victim::connection)
        {
            _connection.reset();
            _connectionDestroyed = true;
        }
        else
            _channel.reset();
    }

    /// Feeds octets in one parse; false once the connection is gone.
    bool feed(const std::string& octets)
    {
        AMQPTest::feed(*_connection, octets);
        return _connection != nullptr;
    }

    /// Every kind of request with every callback.
    void request()
    {
        _channel->declareQueue("q", 0, Table())
            .onSuccess([this](const std::string&, uint32_t, uint32_t) { event("declare success"); })
            .onFinalize(on("declare finalize"));
        if (!_channel) return;
        auto& consumer = _channel->consume("q", "tag", 0, Table());
        consumer.onSuccess([this](const std::string&) { event("consume success"); });
        receiver(consumer, "consumer");
        if (!_channel) return;
        auto& get = _channel->get("q", 0);
        get.onCount([this](uint32_t) { event("get count"); });
        receiver(get, "get");
        if (!_channel) return;
        _channel->get("q", 0)
            .onCount([this](uint32_t) { event("empty count"); })
            .onEmpty(on("get empty"));
        if (!_channel) return;
        _channel->confirmSelect()
            .onAck([this](uint64_t, bool) { event("confirm ack"); })
            .onNack([this](uint64_t, bool, bool) { event("confirm nack"); })
            .onSuccess(on("confirm success"));
        if (!_channel) return;
        auto& recall = _channel->recall();
        recall.onReturned([this](int16_t, const std::string&) { event("recall returned"); })
            .onReceived([this](const Message&, int16_t, const std::string&)
                        { event("recall received"); })
            .onComplete(on("recall complete"));
        recall.onBegin([this](const std::string&, const std::string&) { event("recall begin"); });
        if (!_channel) return;
        _channel->bindQueue("x", "q", "k", Table())
            .onError([this](const char*) { event("result error"); });
    }

    void receiver(DeferredExtReceiver& receiver, const std::string& name)
    {
        receiver
            .onBegin([this, name](const std::string&, const std::string&)
                     { event(name + " begin"); })
            .onSize([this, name](uint64_t) { event(name + " size"); })
            .onHeaders([this, name](const MetaData&) { event(name + " headers"); })
            .onData([this, name](const char*, size_t) { event(name + " data"); });
        receiver
            .onReceived([this, name](const Message&, uint64_t, bool) { event(name + " received"); })
            .onDelivered([this, name](uint64_t, bool) { event(name + " delivered"); });
    }

    /// The broker's answers to request(), then its deliveries, and at last
    /// it closes the channel and the connection.
    static std::string replies()
    {
        return queueDeclareOK(1, "q") + consumeOK(1, "tag") + getOK(1, 1, 0) + contentHeader(1, 3) +
               contentBody(1, "get") + getEmpty(1) + emptyReply(1, 85, 11) + deliver(1, "tag", 2) +
               contentHeader(1, 20000) + contentBody(1, std::string(16000, 'a')) +
               contentBody(1, std::string(4000, 'b')) + basicReturn(1, 312, "NO_ROUTE") +
               contentHeader(1, 1) + contentBody(1, "r") + brokerAck(1, 1, false) +
               brokerNack(1, 1, false, false) + frameOf(8, 0, "") +
               connectionBlocked("low on memory") + connectionUnblocked() +
               channelClose(1, 406, "PRECONDITION_FAILED") + connectionClose(320, "forced");
    }

    std::string _event;
    Victim _victim;
    ScriptedHandler _handler;
    std::unique_ptr<Connection> _connection;
    std::unique_ptr<Channel> _channel;
    std::string _phase;
    std::vector<std::string> _events;
    size_t _writes = 0;
    bool _done = false;
    bool _connectionDestroyed = false;
};

class ReentrancyTest : public ::testing::TestWithParam<std::tuple<const char*, Victim>>
{
};

/// "consumer data" and the channel as victim: ConsumerData_Channel.
std::string nameOf(const ::testing::TestParamInfo<ReentrancyTest::ParamType>& info)
{
    std::string name;
    bool upper = true;
    for (const char* event = std::get<0>(info.param); *event != '\0'; ++event)
    {
        if (*event == ' ')
            upper = true;
        else
        {
            name += upper ? char(std::toupper(*event)) : *event;
            upper = false;
        }
    }
    return name + (std::get<1>(info.param) == Victim::connection ? "_Connection" : "_Channel");
}

} // namespace

TEST_P(ReentrancyTest, DestroyingInsideTheCallbackIsSafe)
{
    Scenario scenario(std::get<0>(GetParam()), std::get<1>(GetParam()));
    scenario.run();
    EXPECT_TRUE(scenario.happened(std::get<0>(GetParam())));
}

// A channel must not be destroyed inside onData: that would send its close
// in the middle of the frame being written.
INSTANTIATE_TEST_SUITE_P(
    Connection, ReentrancyTest,
    ::testing::Combine(::testing::Values("data during handshake", "data during publish",
                                         "data amid a frame", "connection ready", "heartbeat",
                                         "blocked", "unblocked", "connection error"),
                       ::testing::Values(Victim::connection)),
    nameOf);

INSTANTIATE_TEST_SUITE_P(
    ConnectionOrChannel, ReentrancyTest,
    ::testing::Combine(::testing::Values("channel ready", "declare success", "declare finalize",
                                         "consume success", "get count", "get begin", "get size",
                                         "get headers", "get data", "get received", "get delivered",
                                         "empty count", "get empty", "confirm success",
                                         "consumer begin", "consumer size", "consumer headers",
                                         "consumer data", "consumer received", "consumer delivered",
                                         "recall returned", "recall begin", "recall received",
                                         "recall complete", "confirm ack", "confirm nack",
                                         "result error", "channel error"),
                       ::testing::Values(Victim::connection, Victim::channel)),
    nameOf);

TEST(ReentrancyTest, ConnectionDestroyedWhenClosedOrReadyWhileFramesWait)
{
    ScriptedHandler handler;
    auto connection = std::make_unique<Connection>(&handler, Login("user", "pass"), "/");
    feed(*connection, connectionStart() + connectionTune(0, 131072, 0) + connectionOpenOK());
    connection->close();
    handler._onClosed = [&] { connection.reset(); };
    std::string octets = connectionCloseOK() + frameOf(8, 0, "");
    ByteBuffer buffer(octets.data(), octets.size());
    EXPECT_EQ(connection->parse(buffer), connectionCloseOK().size());
    EXPECT_EQ(connection, nullptr);

    // Frames queued during the handshake, with the connection gone in onReady.
    connection = std::make_unique<Connection>(&handler, Login("user", "pass"), "/");
    feed(*connection, connectionStart() + connectionTune(0, 131072, 0));
    Channel channel(connection.get());
    handler._onReady = [&] { connection.reset(); };
    handler.take();
    feed(*connection, connectionOpenOK() + channelOpenOK(1));
    EXPECT_EQ(connection, nullptr);
    // The channel outlives its connection; its queued open was never sent.
    EXPECT_TRUE(handler._written.empty());
    EXPECT_FALSE(channel.usable());
}

TEST(ReentrancyTest, ConnectionDestroyedWhileHeldFramesAreReleased)
{
    // Destroyed at each write of what the reply releases: the publish's
    // method, header and two body frames, then the acknowledgement.
    for (size_t victim = 1; victim <= 5; ++victim)
    {
        size_t writes = 0;
        bool declared = false;
        std::string body(200000, 'b');
        Conversation conversation;
        auto channel = conversation.openChannel();
        channel->declareQueue("q", 0, Table()).onSuccess([&] { declared = true; });
        EXPECT_TRUE(channel->publish("", "q", Envelope(body.data(), body.size()), 0));
        EXPECT_TRUE(channel->ack(1, 0));
        conversation._handler.take();
        conversation._handler._onData = [&]
        {
            if (++writes == victim) conversation._connection.reset();
        };
        feed(*conversation._connection, queueDeclareOK(1, "q"));
        EXPECT_EQ(conversation._connection, nullptr) << victim;
        // The reply's own result is still resolved: the channel outlives
        // its connection.
        EXPECT_TRUE(declared) << victim;
        EXPECT_FALSE(channel->usable());
    }
}

TEST(ReentrancyTest, DestroyedInTheFinalizeOfACancelledConsumer)
{
    for (Victim victim : {Victim::connection, Victim::channel})
    {
        std::string cancelled;
        Conversation conversation;
        auto channel = conversation.openChannel();
        channel->consume("q", "tag", 0, Table())
            .onFinalize(
                [&]
                {
                    if (victim == Victim::connection)
                        conversation._connection.reset();
                    else
                        channel.reset();
                });
        conversation.send(consumeOK(1, "tag"));
        channel->cancel("tag").onSuccess([&](const std::string& tag) { cancelled = tag; });
        conversation._handler.take();
        std::string octets = cancelOK(1, "tag") + deliver(1, "tag", 1);
        feed(*conversation._connection, octets);
        EXPECT_EQ(cancelled, "tag");
        if (victim == Victim::channel)
        {
            // The user's channel is gone; the channel itself closes.
            EXPECT_EQ(describe(conversation._handler.take()), Names{"1:20.40"});
            EXPECT_TRUE(conversation._handler._events.empty());
        }
        else
            EXPECT_EQ(conversation._connection, nullptr);
    }
}
