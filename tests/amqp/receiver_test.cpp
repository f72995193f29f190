// Results that receive messages (consumers, gets, returned messages) and
// the broker's confirms, against scripted broker octets.
#include "amqp/deferredconsumer.h"

#include "amqp/deferredcancel.h"
#include "amqp/deferredconfirm.h"
#include "amqp/deferredget.h"
#include "amqp/deferredrecall.h"
#include "amqp/envelope.h"
#include "amqp/flags.h"
#include "scriptedbroker.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

class ReceiverTest : public OpenChannelTest
{
protected:
    /// A consumer "tag" that the broker has started, keeping every message.
    DeferredConsumer& consumer()
    {
        DeferredConsumer& consumer = _channel->consume("q", "tag", 0, Table());
        consumer.onReceived(
            [this](const Message& message, uint64_t deliveryTag, bool redelivered)
            {
                _bodies.emplace_back(message.body(), message.bodySize());
                _pointers.push_back(message.body());
                events().push_back("message " + std::to_string(deliveryTag) +
                                   (redelivered ? " again" : "") + " " + message.routingKey() +
                                   " " + message.contentType());
            });
        send(consumeOK(1, "tag"));
        return consumer;
    }

    std::vector<std::string> _bodies;
    std::vector<const char*> _pointers;
};

} // namespace

TEST_F(ReceiverTest, ConsumerIsRegisteredUnderTheTagOfConsumeOk)
{
    _channel->consume("q", "", 0, Table())
        .onSuccess([&](const std::string& tag) { events().push_back("consuming as " + tag); });
    send(consumeOK(1, "amq.ctag-1"));
    EXPECT_EQ(events(), Names{"consuming as amq.ctag-1"});
}

TEST_F(ReceiverTest, BodyInOneFrameIsHandedOverUncopied)
{
    consumer();
    std::string octets = deliver(1, "tag", 7, true) + contentHeader(1, 5) + contentBody(1, "hello");
    ByteBuffer buffer(octets.data(), octets.size());
    EXPECT_EQ(_conversation._connection->parse(buffer), octets.size());
    EXPECT_EQ(events(), Names{"message 7 again key text/plain"});
    ASSERT_EQ(_bodies.size(), 1u);
    EXPECT_EQ(_bodies[0], "hello");
    EXPECT_GE(_pointers[0], octets.data());
    EXPECT_LT(_pointers[0], octets.data() + octets.size());
}

TEST_F(ReceiverTest, HeadersAsRabbitMQRelaysThemNeverFailTheConnection)
{
    // 's' is RabbitMQ's signed 16-bit integer; the last header claims more
    // octets than its table holds, which ends the table, not the connection.
    std::string entries = Octets()
                              .shortString("retries")
                              .u8('s')
                              .u16(3)
                              .shortString("wide")
                              .u8('s')
                              .u16(300)
                              .shortString("broken")
                              .u8('S')
                              .u32(1000)
                              .raw("abc");
    int retries = -1, wide = -1;
    consumer().onReceived(
        [&](const Message& message, uint64_t, bool)
        {
            if (!message.headers().contains("retries")) return events().push_back("no headers");
            retries = message.headers().get("retries");
            wide = message.headers().get("wide");
            events().push_back("headers " + std::to_string(message.headers().keys().size()));
        });
    std::string header = frameOf(
        2, 1,
        Octets().u16(60).u16(0).u64(2).u16(0x2000).u32(uint32_t(entries.size())).raw(entries));
    send(deliver(1, "tag", 1) + header + contentBody(1, "ok"));
    send(deliver(1, "tag", 2) + contentHeader(1, 1) + contentBody(1, "x"));
    EXPECT_EQ(events(), (Names{"headers 2", "no headers"}));
    EXPECT_EQ(retries, 3);
    EXPECT_EQ(wide, 300);
}

TEST_F(ReceiverTest, BodyOfSeveralFramesIsAssembledIntoOneBlock)
{
    consumer();
    std::string octets = deliver(1, "tag", 1) + contentHeader(1, 10) + contentBody(1, "01234") +
                         contentBody(1, "") + contentBody(1, "56789");
    send(octets);
    ASSERT_EQ(_bodies.size(), 1u);
    EXPECT_EQ(_bodies[0], "0123456789");
    EXPECT_TRUE(_pointers[0] < octets.data() || _pointers[0] >= octets.data() + octets.size());
}

TEST_F(ReceiverTest, EmptyBodyCompletesOnTheHeader)
{
    consumer();
    send(deliver(1, "tag", 1) + contentHeader(1, 0));
    ASSERT_EQ(_bodies.size(), 1u);
    EXPECT_EQ(_bodies[0], "");
    EXPECT_EQ(_pointers[0], nullptr);
    // The next delivery starts afresh.
    send(deliver(1, "tag", 2) + contentHeader(1, 1) + contentBody(1, "x"));
    EXPECT_EQ(_bodies.size(), 2u);
}

TEST_F(ReceiverTest, ConsumerWithoutMessageCallbackGetsThePiecesOnly)
{
    DeferredConsumer& consumer = _channel->consume("q", "tag", 0, Table());
    consumer
        .onBegin([&](const std::string& exchange, const std::string& key)
                 { events().push_back("begin " + exchange + " " + key); })
        .onSize([&](uint64_t size) { events().push_back("size " + std::to_string(size)); })
        .onHeaders([&](const MetaData& metaData)
                   { events().push_back("headers " + metaData.contentType()); })
        .onData([&](const char* data, size_t size)
                { events().push_back("data " + std::string(data, size)); });
    consumer.onDelivered([&](uint64_t tag, bool)
                         { events().push_back("delivered " + std::to_string(tag)); });
    send(consumeOK(1, "tag"));
    send(deliver(1, "tag", 3) + contentHeader(1, 4) + contentBody(1, "ab") + contentBody(1, "cd"));
    EXPECT_EQ(events(), (Names{"begin exchange key", "size 4", "headers text/plain", "data ab",
                               "data cd", "delivered 3"}));
}

TEST_F(ReceiverTest, DeliveryForATagWithoutConsumerIsDropped)
{
    consumer();
    send(deliver(1, "other", 1) + contentHeader(1, 3) + contentBody(1, "abc"));
    EXPECT_TRUE(events().empty());
    send(deliver(1, "tag", 2) + contentHeader(1, 3) + contentBody(1, "def"));
    EXPECT_EQ(_bodies, std::vector<std::string>{"def"});
}

TEST_F(ReceiverTest, CancelledConsumerGetsNoMoreDeliveries)
{
    consumer().onFinalize(mark("consumer finalized"));
    _channel->cancel("tag").onSuccess([&](const std::string& tag)
                                      { events().push_back("cancelled " + tag); });
    send(cancelOK(1, "tag"));
    EXPECT_EQ(events(), (Names{"consumer finalized", "cancelled tag"}));
    send(deliver(1, "tag", 1) + contentHeader(1, 1) + contentBody(1, "x"));
    EXPECT_TRUE(_bodies.empty());
}

TEST_F(ReceiverTest, GetHandsOverOneMessageAfterTheCount)
{
    _channel->get("q", 0)
        .onCount([&](uint32_t count) { events().push_back("count " + std::to_string(count)); })
        .onEmpty(mark("empty"))
        .onReceived(
            [&](const Message& message, uint64_t tag, bool)
            {
                events().push_back("got " + std::to_string(tag) + " " +
                                   std::string(message.body(), message.bodySize()) + " from " +
                                   message.exchange());
            });
    send(getOK(1, 12, 3) + contentHeader(1, 2) + contentBody(1, "ok"));
    EXPECT_EQ(events(), (Names{"count 3", "got 12 ok from exchange"}));
}

TEST_F(ReceiverTest, EmptyGetCountsZeroBeforeItSaysEmpty)
{
    _channel->get("q", 0)
        .onCount([&](uint32_t count) { events().push_back("count " + std::to_string(count)); })
        .onEmpty(mark("empty"))
        .onSuccess(mark("plain success"));
    send(getEmpty(1));
    EXPECT_EQ(events(), (Names{"count 0", "empty"}));
}

TEST_F(ReceiverTest, ReturnedMessageReachesTheRecallWithCodeAndText)
{
    _channel->recall()
        .onReturned([&](int16_t code, const std::string& text)
                    { events().push_back("returned " + std::to_string(code) + " " + text); })
        .onReceived(
            [&](const Message& message, int16_t code, const std::string& text)
            {
                events().push_back("message " + std::string(message.body(), message.bodySize()) +
                                   " " + message.routingKey() + " " + std::to_string(code) + " " +
                                   text);
            })
        .onComplete(mark("complete"));
    EXPECT_EQ(&_channel->recall(), &_channel->recall());
    send(basicReturn(1, 312, "NO_ROUTE") + contentHeader(1, 3) + contentBody(1, "abc"));
    EXPECT_EQ(events(),
              (Names{"returned 312 NO_ROUTE", "message abc nowhere 312 NO_ROUTE", "complete"}));
}

TEST_F(ReceiverTest, ReturnWithoutRecallIsDropped)
{
    send(basicReturn(1, 312, "NO_ROUTE") + contentHeader(1, 3) + contentBody(1, "abc"));
    EXPECT_TRUE(events().empty());
}

TEST_F(ReceiverTest, ConfirmsAckAndNackByDeliveryTag)
{
    _channel->confirmSelect()
        .onAck(
            [&](uint64_t tag, bool multiple)
            { events().push_back("ack " + std::to_string(tag) + (multiple ? " and before" : "")); })
        .onNack(
            [&](uint64_t tag, bool multiple, bool requeue)
            {
                events().push_back("nack " + std::to_string(tag) + (multiple ? " and before" : "") +
                                   (requeue ? " requeued" : ""));
            })
        .onSuccess(mark("confirming"));
    EXPECT_EQ(describe(_conversation._handler.take()), Names{"1:85.10"});
    send(emptyReply(1, 85, 11));
    send(brokerAck(1, 1, false) + brokerAck(1, 3, true) + brokerNack(1, 4, false, true) +
         brokerNack(1, 6, true, false));
    EXPECT_EQ(events(), (Names{"confirming", "ack 1", "ack 3 and before", "nack 4 requeued",
                               "nack 6 and before"}));
}

TEST_F(ReceiverTest, BrokerAcksWithoutConfirmSelectAreDropped)
{
    send(brokerAck(1, 1, false));
    EXPECT_TRUE(events().empty());
}

TEST_F(ReceiverTest, TransactionsCommitAndRollBack)
{
    _channel->startTransaction().onSuccess(mark("selected"));
    _channel->publish("", "q", Envelope("a", 1), 0);
    _channel->commitTransaction().onSuccess(mark("committed"));
    _channel->publish("", "q", Envelope("b", 1), 0);
    _channel->rollbackTransaction().onSuccess(mark("rolled back"));
    EXPECT_EQ(describe(_conversation._handler.take()), Names{"1:90.10"});
    send(emptyReply(1, 90, 11));
    EXPECT_EQ(describe(_conversation._handler.take()),
              (Names{"1:60.40", "1:header", "1:body(1)", "1:90.20"}));
    send(emptyReply(1, 90, 21));
    EXPECT_EQ(describe(_conversation._handler.take()),
              (Names{"1:60.40", "1:header", "1:body(1)", "1:90.30"}));
    send(emptyReply(1, 90, 31));
    EXPECT_EQ(events(), (Names{"selected", "committed", "rolled back"}));
}
