// Channels against scripted broker octets: the frames each operation sends,
// frames held behind synchronous requests, results resolved in order,
// limits, and the channel's failures.
#include "amqp/channel.h"

#include "amqp/frames/basicframes.h"
#include "amqp/frames/channelframes.h"
#include "amqp/deferred.h"
#include "amqp/deferredcancel.h"
#include "amqp/deferreddelete.h"
#include "amqp/deferredqueue.h"
#include "amqp/envelope.h"
#include "amqp/frames/exchangeframes.h"
#include "amqp/flags.h"
#include "amqp/frames/queueframes.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

class ChannelTest : public OpenChannelTest
{
protected:
    /// Records a message under a name in the events of the conversation.
    std::function<void(const char*)> record(const std::string& name)
    {
        return [this, name](const char* message) { events().push_back(name + ": " + message); };
    }
};

/// A table whose encoding makes a queue.bind on channel 1 exactly size
/// octets long in all.
Table argumentsForBindOf(uint32_t size)
{
    auto frameSize = [](const Table& arguments)
    { return QueueBindFrame(1, "q", "x", "k", false, arguments).totalSize(); };
    Table table;
    table["pad"] = "";
    uint64_t base = frameSize(table);
    table["pad"] = std::string(size - base, 'p');
    EXPECT_EQ(frameSize(table), size);
    return table;
}

} // namespace

TEST_F(ChannelTest, FramesWaitBehindASynchronousRequestAndGoOutBeforeItsCallback)
{
    std::string body = "hello";
    _channel->declareQueue("q", 0, Table())
        .onSuccess(
            [&](const std::string& name, uint32_t, uint32_t)
            {
                events().push_back("declared " + name + " after " +
                                   std::to_string(describe(take()).size()) + " frames");
            });
    EXPECT_TRUE(_channel->publish("", "q", Envelope(body.data(), body.size()), 0));
    EXPECT_EQ(describe(take()), Names{"1:50.10"});
    send(queueDeclareOK(1, "q", 0, 0));
    EXPECT_EQ(events(), Names{"declared q after 3 frames"});
}

TEST_F(ChannelTest, HeldFramesGoOutInOrderUntilTheNextSynchronousRequest)
{
    _channel->declareQueue("a", 0, Table());
    _channel->ack(1, 0);
    _channel->bindQueue("x", "a", "a", Table());
    _channel->reject(2, requeue);
    take();
    send(queueDeclareOK(1, "a"));
    EXPECT_EQ(describe(take()), (Names{"1:60.80", "1:50.20"}));
    send(emptyReply(1, 50, 21));
    EXPECT_EQ(describe(take()), Names{"1:60.90"});
}

TEST_F(ChannelTest, ResultsAreResolvedInTheOrderOfTheirRequests)
{
    _channel->declareQueue("first", 0, Table())
        .onSuccess(
            [&](const std::string& name, uint32_t messages, uint32_t consumers) {
                events().push_back(name + " " + std::to_string(messages) + " " +
                                   std::to_string(consumers));
            });
    _channel->declareQueue("second", 0, Table())
        .onSuccess([&](const std::string& name, uint32_t, uint32_t) { events().push_back(name); });
    send(queueDeclareOK(1, "first", 4, 2) + queueDeclareOK(1, "second"));
    EXPECT_EQ(events(), (Names{"first 4 2", "second"}));
}

TEST_F(ChannelTest, BodyOfExactlyTheMaximumPayloadGoesInOneFrame)
{
    uint32_t payload = _channel->maxPayload();
    EXPECT_EQ(payload, 131072u - 8);
    std::string body(payload + 1, 'b');
    EXPECT_TRUE(_channel->publish("", "q", Envelope(body.data(), payload), 0));
    EXPECT_EQ(describe(take()), (Names{"1:60.40", "1:header", "1:body(131064)"}));
    EXPECT_TRUE(_channel->publish("", "q", Envelope(body.data(), payload + 1), 0));
    EXPECT_EQ(describe(take()), (Names{"1:60.40", "1:header", "1:body(131064)", "1:body(1)"}));
    EXPECT_TRUE(_channel->publish("", "q", Envelope(nullptr, 0), 0));
    EXPECT_EQ(describe(take()), (Names{"1:60.40", "1:header"}));
}

TEST_F(ChannelTest, PublishedFramesCarryTheEnvelope)
{
    Envelope envelope("{}", 2);
    envelope.setContentType("application/json");
    EXPECT_TRUE(_channel->publish("results", "key", envelope, mandatory));
    auto frames = sentFrames(take());
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0]._payload, encode(BasicPublishFrame(1, "results", "key", true, false))
                                      .substr(7, frames[0]._payload.size()));
    EXPECT_EQ(frames[1]._payload,
              Octets().u16(60).u16(0).u64(2).u16(0x8000).shortString("application/json").str());
    EXPECT_EQ(frames[2]._payload, "{}");
}

TEST_F(ChannelTest, FrameOfExactlyTheMaximumIsSentOneOctetMoreIsRefused)
{
    _channel->bindQueue("x", "q", "k", argumentsForBindOf(131072)).onError(record("fits"));
    EXPECT_EQ(describe(take()), Names{"1:50.20"});
    Deferred& refused = _channel->bindQueue("x", "q", "k", argumentsForBindOf(131073));
    EXPECT_FALSE(refused);
    refused.onError(record("too big"));
    EXPECT_EQ(events(), Names{"too big: Frame could not be sent"});
    EXPECT_TRUE(take().empty());
}

TEST_F(ChannelTest, HeldFrameTooBigIsRefusedToo)
{
    _channel->declareQueue("q", 0, Table());
    take();
    // Held behind the declaration, the frame would otherwise go out unchecked.
    Deferred& refused = _channel->bindQueue("x", "q", "k", argumentsForBindOf(131073));
    EXPECT_FALSE(refused);
    send(queueDeclareOK(1, "q"));
    EXPECT_TRUE(take().empty());
}

TEST_F(ChannelTest, RefusedResultIsFailedAndNeverTakesAReply)
{
    _channel->declareQueue(std::string(256, 'q'), 0, Table()).onError(record("long name"));
    _channel->bindQueue("x", "q", "k", argumentsForBindOf(200000)).onError(record("too big"));
    _channel->declareQueue("b", 0, Table())
        .onSuccess([&](const std::string& name, uint32_t, uint32_t)
                   { events().push_back("declared " + name); })
        .onError(record("b"));
    EXPECT_EQ(describe(take()), Names{"1:50.10"});
    send(queueDeclareOK(1, "b"));
    EXPECT_EQ(events(), (Names{"long name: Frame could not be sent",
                               "too big: Frame could not be sent", "declared b"}));
}

TEST_F(ChannelTest, PublishThatCannotSendItsHeaderSendsNothing)
{
    Envelope envelope("x", 1);
    Table headers;
    headers["big"] = std::string(140000, 'h');
    envelope.setHeaders(headers);
    EXPECT_FALSE(_channel->publish("", "q", envelope, 0));
    EXPECT_FALSE(_channel->publish(std::string(256, 'e'), "q", Envelope("x", 1), 0));
    EXPECT_TRUE(take().empty());
}

TEST_F(ChannelTest, OperationsSetTheirFlagsAndNeverNoWait)
{
    Table arguments;
    arguments["x-expires"] = "1";
    auto expectSent = [&](const Frame& frame) { EXPECT_EQ(take(), encode(frame)); };
    _channel->declareQueue("q", durable | passive | exclusive | autodelete | mandatory, arguments);
    expectSent(QueueDeclareFrame(1, "q", true, true, true, true, false, arguments));
    send(queueDeclareOK(1, "q"));
    _channel->consume("q", "tag", nolocal | noack | exclusive, arguments);
    expectSent(BasicConsumeFrame(1, "q", "tag", true, true, true, false, arguments));
    send(consumeOK(1, "tag"));
    _channel->removeQueue("q", ifunused | ifempty);
    expectSent(QueueDeleteFrame(1, "q", true, true, false));
    send(methodFrame(1, 50, 41, Octets().u32(0)));
    _channel->declareExchange("e", topic, durable | autodelete | internal | passive, arguments);
    expectSent(ExchangeDeclareFrame(1, "e", "topic", true, true, true, true, false, arguments));
    send(emptyReply(1, 40, 11));
    _channel->declareExchange("e", ExchangeType(6), 0, Table());
    expectSent(ExchangeDeclareFrame(1, "e", "", false, false, false, false, false, Table()));
    send(emptyReply(1, 40, 11));
    _channel->bindExchange("source", "target", "key", arguments);
    expectSent(ExchangeBindFrame(1, "target", "source", "key", false, arguments));
    send(emptyReply(1, 40, 31));
    _channel->unbindExchange("source", "target", "key", arguments);
    expectSent(ExchangeUnbindFrame(1, "target", "source", "key", false, arguments));
    send(emptyReply(1, 40, 51));
    _channel->removeExchange("e", ifunused);
    expectSent(ExchangeDeleteFrame(1, "e", true, false));
    send(emptyReply(1, 40, 21));
    _channel->get("q", noack);
    expectSent(BasicGetFrame(1, "q", true));
    send(getEmpty(1));
    _channel->setQos(1000, false);
    expectSent(BasicQosFrame(1, 1000, false));
    send(emptyReply(1, 60, 11));
    _channel->recover(requeue);
    expectSent(BasicRecoverFrame(1, true));
    send(emptyReply(1, 60, 111));
    _channel->pause();
    expectSent(ChannelFlowFrame(1, false));
    send(methodFrame(1, 20, 21, Octets().u8(0)));
    _channel->resume();
    expectSent(ChannelFlowFrame(1, true));
    send(methodFrame(1, 20, 21, Octets().u8(1)));
    EXPECT_TRUE(events().empty());
}

TEST_F(ChannelTest, AcknowledgementsAreNotHeldBack)
{
    EXPECT_TRUE(_channel->ack(5, 0));
    EXPECT_EQ(take(), encode(BasicAckFrame(1, 5, false)));
    EXPECT_TRUE(_channel->ack(6, multiple));
    EXPECT_EQ(take(), encode(BasicAckFrame(1, 6, true)));
    EXPECT_TRUE(_channel->reject(7, requeue));
    EXPECT_EQ(take(), encode(BasicRejectFrame(1, 7, true)));
    EXPECT_TRUE(_channel->reject(8, 0));
    EXPECT_EQ(take(), encode(BasicRejectFrame(1, 8, false)));
    EXPECT_TRUE(_channel->reject(9, multiple | requeue));
    EXPECT_EQ(take(), encode(BasicNackFrame(1, 9, true, true)));
    // A nack waits for no answer: what follows goes out at once.
    EXPECT_TRUE(_channel->ack(10, 0));
    EXPECT_EQ(take(), encode(BasicAckFrame(1, 10, false)));
}

TEST_F(ChannelTest, CountsOfPurgeAndDeleteReachTheirCallbacks)
{
    _channel->purgeQueue("q").onSuccess([&](uint32_t count)
                                        { events().push_back("purged " + std::to_string(count)); });
    _channel->removeQueue("q", 0).onSuccess(
        [&](uint32_t count) { events().push_back("deleted " + std::to_string(count)); });
    _channel->removeQueue("r", 0).onSuccess(mark("plain success"));
    send(methodFrame(1, 50, 31, Octets().u32(3)) + methodFrame(1, 50, 41, Octets().u32(4)) +
         methodFrame(1, 50, 41, Octets().u32(5)));
    EXPECT_EQ(events(), (Names{"purged 3", "deleted 4", "plain success"}));
}

TEST_F(ChannelTest, ResultIsFinalizedOnceItsReplyHasBeenReported)
{
    _channel->bindQueue("x", "q", "k", Table())
        .onSuccess(mark("bound"))
        .onFinalize(mark("finalized"));
    EXPECT_TRUE(events().empty());
    send(emptyReply(1, 50, 21));
    EXPECT_EQ(events(), (Names{"bound", "finalized"}));
}

TEST_F(ChannelTest, NoWaitDeclarationSucceedsOnceALaterReplyArrives)
{
    _channel->declareExchange("e", fanout, nowait, Table()).onSuccess(mark("exchange"));
    _channel->declareQueue("q", 0, Table()).onSuccess(mark("queue"));
    // Not synchronous: the declaration of the queue is not held behind it.
    EXPECT_EQ(describe(take()), (Names{"1:40.10", "1:50.10"}));
    send(queueDeclareOK(1, "q"));
    EXPECT_EQ(events(), (Names{"exchange", "queue"}));
}

TEST_F(ChannelTest, BrokerCloseFailsTheResultsAndTellsTheChannel)
{
    _channel->declareQueue("q", passive, Table()).onError(record("declare"));
    _channel->bindQueue("x", "q", "k", Table()).onError(record("bind"));
    _channel->onError(record("channel"));
    take();
    send(channelClose(1, 404, "NOT_FOUND - no queue 'q'"));
    EXPECT_EQ(describe(take()), Names{"1:20.41"});
    EXPECT_EQ(events(),
              (Names{"declare: NOT_FOUND - no queue 'q'", "bind: Channel is in error state",
                     "channel: NOT_FOUND - no queue 'q'"}));
    events().clear();
    // Failed, the channel has left its connection.
    EXPECT_FALSE(_channel->usable());
    _channel->onError(record("late"));
    EXPECT_EQ(events(), Names{"late: Channel is not linked to a connection"});
    _channel->declareQueue("r", 0, Table()).onError(record("after"));
    EXPECT_EQ(events().back(), "after: Frame could not be sent");
    EXPECT_TRUE(take().empty());
}

TEST_F(ChannelTest, BrokerCloseOfAChannelWeDoNotKnowIsAnswered)
{
    send(channelClose(9, 504, "CHANNEL_ERROR"));
    EXPECT_EQ(describe(take()), Names{"9:20.41"});
    EXPECT_TRUE(events().empty());
}

TEST_F(ChannelTest, CloseIsConfirmedByCloseOkAndASecondCloseFails)
{
    _channel->close().onSuccess(mark("closed")).onError(record("first close"));
    EXPECT_EQ(take(), encode(ChannelCloseFrame(1, 0, "", 0, 0)));
    _channel->close().onError(record("second close"));
    EXPECT_EQ(events(), Names{"second close: Frame could not be sent"});
    send(channelCloseOK(1));
    EXPECT_EQ(events().back(), "closed");
    EXPECT_FALSE(_channel->usable());
}

TEST_F(ChannelTest, ClosingChannelReportsFramesAsNotSent)
{
    _channel->close();
    take();
    EXPECT_FALSE(_channel->publish("", "q", Envelope("x", 1), 0));
    EXPECT_FALSE(_channel->ack(1, 0));
    EXPECT_FALSE(_channel->declareQueue("q", 0, Table()));
    EXPECT_TRUE(take().empty());
}

TEST_F(ChannelTest, FramesAcceptedBeforeTheCloseStillGoOut)
{
    std::string body = "kept";
    _channel->declareQueue("q", 0, Table());
    EXPECT_TRUE(_channel->publish("", "q", Envelope(body.data(), body.size()), 0));
    // The user lets go of the channel while the publish is held back.
    _channel.reset();
    EXPECT_EQ(describe(take()), Names{"1:50.10"});
    send(queueDeclareOK(1, "q"));
    EXPECT_EQ(describe(take()), (Names{"1:60.40", "1:header", "1:body(4)", "1:20.40"}));
    send(channelCloseOK(1));
    // Gone from the table: its id is free and frames for it are dropped.
    send(queueDeclareOK(1, "q"));
    EXPECT_TRUE(events().empty());
}

TEST_F(ChannelTest, ChannelOutlivingItsConnectionRefusesEverything)
{
    _channel->declareQueue("q", 0, Table()).onError(record("pending"));
    _conversation._connection.reset();
    // Destroying the connection closed the channel too; the waiting result
    // stays unresolved.
    EXPECT_FALSE(_channel->usable());
    EXPECT_FALSE(_channel->publish("", "q", Envelope("x", 1), 0));
    _channel->bindQueue("x", "q", "k", Table()).onError(record("bind"));
    _channel->onError(record("channel"));
    EXPECT_EQ(events(),
              (Names{"bind: Frame could not be sent", "channel: Channel is closing down"}));
}
