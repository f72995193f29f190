// A broker that breaks the protocol: every fault closes the connection with
// a clear message, once, and nothing is read or sent after it.
#include "amqp/connection.h"

#include "amqp/channel.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredqueue.h"
#include "amqp/envelope.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

/// What the handler heard when octets were fed to a connection in state
/// ready with channel 1 consuming as "tag".
class BadInputTest : public OpenChannelTest
{
protected:
    BadInputTest()
    {
        _channel->consume("q", "tag", 0, Table())
            .onReceived([this](const Message& message, uint64_t, bool)
                        { _received.emplace_back(message.body(), message.bodySize()); });
        send(consumeOK(1, "tag"));
        _channel->onError([this](const char* message) { _channelErrors.push_back(message); });
        take();
    }

    /// Feeds octets; the connection must fail with error, having consumed
    /// the frames before the faulty one.
    void expectFailure(const std::string& good, const std::string& bad, const std::string& error)
    {
        std::string octets = good + bad + frameOf(8, 0, "");
        EXPECT_EQ(feed(*_conversation._connection, octets), good.size());
        EXPECT_EQ(_conversation._handler._events, Names{"error: " + error});
        EXPECT_EQ(_channelErrors, Names{error});
        EXPECT_FALSE(_conversation._connection->usable());
        // Closed: the rest is not read, the error not reported again.
        EXPECT_EQ(feed(*_conversation._connection, bad), 0u);
        EXPECT_EQ(_conversation._handler._events.size(), 1u);
        EXPECT_FALSE(_conversation._connection->heartbeat());
        EXPECT_TRUE(_conversation._handler._written.empty());
    }

    std::vector<std::string> _received;
    std::vector<std::string> _channelErrors;
};

} // namespace

TEST_F(BadInputTest, OversizedFrame)
{
    std::string header = Octets().u8(3).u16(1).u32(131072 - 7);
    expectFailure(contentBody(9, "earlier"), header, "frame size exceeded");
}

TEST_F(BadInputTest, BrokenEndOfFrame)
{
    std::string frame = frameOf(8, 0, "");
    frame.back() = '\xCD';
    expectFailure("", frame, "invalid end of frame marker");
}

TEST_F(BadInputTest, UnknownFrameType)
{
    expectFailure("", frameOf(5, 0, ""), "unrecognized frame type 5");
}

TEST_F(BadInputTest, MethodThatOnlyAClientSends)
{
    // channel.flow: the broker pausing us is not supported.
    expectFailure("", methodFrame(1, 20, 20, Octets().u8(0)),
                  "unimplemented frame type 1 class 20 method 20");
}

TEST_F(BadInputTest, BrokerCancellingAConsumer)
{
    expectFailure("", methodFrame(1, 60, 30, Octets().shortString("tag").u8(0)),
                  "unimplemented frame type 1 class 60 method 30");
}

TEST_F(BadInputTest, TruncatedArguments)
{
    expectFailure("", methodFrame(1, 50, 11, Octets().shortString("q").u32(0)),
                  "frame out of range");
}

TEST_F(BadInputTest, ReplyThatNoResultWaitsFor)
{
    expectFailure(contentBody(9, "earlier"), queueDeclareOK(1, "q"),
                  "unexpected frame type 1 class 50 method 11 on channel 1");
}

TEST_F(BadInputTest, SecondOpenOkOfAChannel)
{
    expectFailure("", channelOpenOK(1), "unexpected frame type 1 class 20 method 11 on channel 1");
}

TEST_F(BadInputTest, CloseOkOfAChannelThatIsNotClosing)
{
    expectFailure("", channelCloseOK(1), "unexpected frame type 1 class 20 method 41 on channel 1");
}

TEST_F(BadInputTest, HandshakeMethodsAfterTheHandshake)
{
    expectFailure("", connectionStart(), "unexpected frame type 1 class 10 method 10 on channel 0");
}

TEST_F(BadInputTest, CloseOkWithoutOurClose)
{
    expectFailure("", connectionCloseOK(),
                  "unexpected frame type 1 class 10 method 51 on channel 0");
}

TEST_F(BadInputTest, ConnectionMethodOnAChannel)
{
    expectFailure("", methodFrame(1, 10, 50, Octets().u16(320).shortString("x").u16(0).u16(0)),
                  "unexpected frame type 1 class 10 method 50 on channel 1");
}

TEST_F(BadInputTest, BlockedOnAChannel)
{
    expectFailure("", methodFrame(1, 10, 60, Octets().shortString("low on memory")),
                  "unexpected frame type 1 class 10 method 60 on channel 1");
}

TEST_F(BadInputTest, MethodAmidAMessagesContent)
{
    expectFailure(deliver(1, "tag", 1), deliver(1, "tag", 2),
                  "unexpected frame type 1 class 60 method 60 on channel 1");
    EXPECT_TRUE(_received.empty());
}

TEST_F(BadInputTest, BodyBeforeItsHeader)
{
    expectFailure(deliver(1, "tag", 1), contentBody(1, "abc"),
                  "unexpected content body before its header on channel 1");
}

TEST_F(BadInputTest, SecondHeaderOfAMessage)
{
    expectFailure(deliver(1, "tag", 1) + contentHeader(1, 5), contentHeader(1, 5),
                  "unexpected content header on channel 1");
}

TEST_F(BadInputTest, BodyBeyondTheAnnouncedSize)
{
    expectFailure(deliver(1, "tag", 1) + contentHeader(1, 5) + contentBody(1, "abc"),
                  contentBody(1, "def"),
                  "content body exceeds the announced body size on channel 1");
    EXPECT_TRUE(_received.empty());
}

TEST_F(BadInputTest, AnnouncedBodySizeIsNotAllocatedUpFront)
{
    // Under the sanitizers an allocation of the announced size would abort.
    _conversation.send(deliver(1, "tag", 1) + contentHeader(1, uint64_t(1) << 50) +
                       contentBody(1, std::string(70000, 'a')) +
                       contentBody(1, std::string(70000, 'b')));
    EXPECT_TRUE(_received.empty());
    EXPECT_TRUE(_conversation._handler._events.empty());
}

TEST(BadHandshakeTest, MethodsOutOfTurn)
{
    struct Case
    {
        std::string _octets;
        std::string _error;
    };
    std::vector<Case> cases = {
        {connectionTune(0, 131072, 0), "unexpected frame type 1 class 10 method 30 on channel 0"},
        {connectionOpenOK(), "unexpected frame type 1 class 10 method 41 on channel 0"},
        {connectionStart() + connectionStart(),
         "unexpected frame type 1 class 10 method 10 on channel 0"},
        {connectionStart() + channelOpenOK(1),
         "unexpected frame type 1 class 20 method 11 on channel 1"},
        {connectionStart() + contentBody(1, "x"), "unexpected frame type 3 on channel 1"},
        // Blocking is a capability announced in start-ok.
        {connectionBlocked("low on memory"),
         "unexpected frame type 1 class 10 method 60 on channel 0"},
        {connectionStart() + connectionTune(0, 100, 0),
         "frame-max 100 is below the minimum of 4096"},
        // A broker that does not speak our version answers with its own
        // protocol header, which reads as an enormous frame.
        {std::string("AMQP\x00\x00\x09\x01", 8), "frame size exceeded"},
    };
    for (const auto& test : cases)
    {
        ScriptedHandler handler;
        Connection connection(&handler, Login("user", "pass"), "/");
        feed(connection, test._octets);
        ASSERT_FALSE(handler._events.empty());
        EXPECT_EQ(handler._events.back(), "error: " + test._error);
        EXPECT_FALSE(connection.usable());
    }
}

TEST(BadHandshakeTest, VirtualHostTooLongForTheWireFailsTheConnection)
{
    ScriptedHandler handler;
    Connection connection(&handler, Login("user", "pass"), std::string(256, 'v'));
    feed(connection, connectionStart());
    handler.take();
    // connection.open cannot carry the name: the handshake ends there, with
    // the reason, instead of an exception out of parse.
    feed(connection, connectionTune(0, 131072, 0) + connectionOpenOK());
    EXPECT_EQ(describe(handler.take()), Names{"0:10.31"});
    EXPECT_EQ(
        handler._events,
        (Names{"properties", "error: text of 256 octets is too long for an AMQP short string"}));
    EXPECT_FALSE(connection.usable());
}
