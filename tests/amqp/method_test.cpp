#include "amqp/frames/basicframes.h"

#include "amqp/frames/channelframes.h"
#include "amqp/frames/confirmframes.h"
#include "amqp/frames/connectionframes.h"
#include "amqp/frames/exchangeframes.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/queueframes.h"
#include "amqp/frames/transactionframes.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

Table arguments()
{
    Table table;
    table["x-queue-type"] = "classic";
    return table;
}

const std::string argumentOctets =
    Octets().u32(25).shortString("x-queue-type").u8('S').longString("classic");

struct SentMethod
{
    const char* _name;
    std::function<std::unique_ptr<MethodFrame>()> _make;
    std::string _octets;
};

template <class T, class... Arguments>
std::function<std::unique_ptr<MethodFrame>()> make(Arguments... arguments)
{
    return [=] { return std::make_unique<T>(arguments...); };
}

std::string unimplemented(const std::string& octets)
{
    RecordingProcessor processor;
    try
    {
        processFrame(octets, processor);
    }
    catch (const ProtocolException& error)
    {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(MethodTest, EverySentMethodEncodesToTheOctet)
{
    Table client;
    client["product"] = "p";
    const std::string clientOctets =
        Octets().u32(14).shortString("product").u8('S').longString("p");
    const SentMethod methods[] = {
        {"connection.start-ok",
         make<ConnectionStartOKFrame>(client, std::string("PLAIN"), std::string("\0u\0p", 4),
                                      std::string("en_US")),
         methodFrame(0, 10, 11,
                     Octets()
                         .raw(clientOctets)
                         .shortString("PLAIN")
                         .longString(std::string("\0u\0p", 4))
                         .shortString("en_US"))},
        {"connection.tune-ok",
         make<ConnectionTuneOKFrame>(uint16_t(2047), uint32_t(131072), uint16_t(60)),
         methodFrame(0, 10, 31, Octets().u16(2047).u32(131072).u16(60))},
        {"connection.open", make<ConnectionOpenFrame>(std::string("/")),
         methodFrame(0, 10, 40, Octets().shortString("/").u8(0).u8(0))},
        {"connection.close",
         make<ConnectionCloseFrame>(uint16_t(0), std::string("shutdown"), uint16_t(0), uint16_t(0)),
         methodFrame(0, 10, 50, Octets().u16(0).shortString("shutdown").u16(0).u16(0))},
        {"connection.close-ok", make<ConnectionCloseOKFrame>(), methodFrame(0, 10, 51, "")},
        {"channel.open", make<ChannelOpenFrame>(uint16_t(1)),
         methodFrame(1, 20, 10, Octets().u8(0))},
        {"channel.flow", make<ChannelFlowFrame>(uint16_t(1), false),
         methodFrame(1, 20, 20, Octets().u8(0))},
        {"channel.close",
         make<ChannelCloseFrame>(uint16_t(1), uint16_t(0), std::string(), uint16_t(0), uint16_t(0)),
         methodFrame(1, 20, 40, Octets().u16(0).u8(0).u16(0).u16(0))},
        {"channel.close-ok", make<ChannelCloseOKFrame>(uint16_t(1)), methodFrame(1, 20, 41, "")},
        {"exchange.declare",
         make<ExchangeDeclareFrame>(uint16_t(1), std::string("ex"), std::string("topic"), false,
                                    true, false, true, true, arguments()),
         methodFrame(
             1, 40, 10,
             Octets().u16(0).shortString("ex").shortString("topic").u8(0x1A).raw(argumentOctets))},
        {"exchange.delete", make<ExchangeDeleteFrame>(uint16_t(1), std::string("ex"), true, false),
         methodFrame(1, 40, 20, Octets().u16(0).shortString("ex").u8(0x01))},
        {"exchange.bind",
         make<ExchangeBindFrame>(uint16_t(1), std::string("dst"), std::string("src"),
                                 std::string("key"), false, Table()),
         methodFrame(
             1, 40, 30,
             Octets().u16(0).shortString("dst").shortString("src").shortString("key").u8(0).u32(
                 0))},
        {"exchange.unbind",
         make<ExchangeUnbindFrame>(uint16_t(1), std::string("dst"), std::string("src"),
                                   std::string("key"), false, Table()),
         methodFrame(
             1, 40, 40,
             Octets().u16(0).shortString("dst").shortString("src").shortString("key").u8(0).u32(
                 0))},
        {"queue.declare",
         make<QueueDeclareFrame>(uint16_t(2), std::string("results"), false, true, false, true,
                                 false, arguments()),
         methodFrame(2, 50, 10,
                     Octets().u16(0).shortString("results").u8(0x0A).raw(argumentOctets))},
        {"queue.bind",
         make<QueueBindFrame>(uint16_t(2), std::string("q"), std::string("ex"), std::string("rk"),
                              false, Table()),
         methodFrame(
             2, 50, 20,
             Octets().u16(0).shortString("q").shortString("ex").shortString("rk").u8(0).u32(0))},
        {"queue.purge", make<QueuePurgeFrame>(uint16_t(2), std::string("q"), false),
         methodFrame(2, 50, 30, Octets().u16(0).shortString("q").u8(0))},
        {"queue.delete", make<QueueDeleteFrame>(uint16_t(2), std::string("q"), true, true, false),
         methodFrame(2, 50, 40, Octets().u16(0).shortString("q").u8(0x03))},
        {"queue.unbind",
         make<QueueUnbindFrame>(uint16_t(2), std::string("q"), std::string("ex"), std::string("rk"),
                                Table()),
         methodFrame(2, 50, 50,
                     Octets().u16(0).shortString("q").shortString("ex").shortString("rk").u32(0))},
        {"basic.qos", make<BasicQosFrame>(uint16_t(3), uint16_t(10), true),
         methodFrame(3, 60, 10, Octets().u32(0).u16(10).u8(1))},
        {"basic.consume",
         make<BasicConsumeFrame>(uint16_t(3), std::string("q"), std::string("tag"), false, true,
                                 true, false, Table()),
         methodFrame(3, 60, 20,
                     Octets().u16(0).shortString("q").shortString("tag").u8(0x06).u32(0))},
        {"basic.cancel", make<BasicCancelFrame>(uint16_t(3), std::string("tag"), false),
         methodFrame(3, 60, 30, Octets().shortString("tag").u8(0))},
        {"basic.publish",
         make<BasicPublishFrame>(uint16_t(3), std::string("ex"), std::string("rk"), true, false),
         methodFrame(3, 60, 40, Octets().u16(0).shortString("ex").shortString("rk").u8(0x01))},
        {"basic.get", make<BasicGetFrame>(uint16_t(3), std::string("q"), true),
         methodFrame(3, 60, 70, Octets().u16(0).shortString("q").u8(1))},
        {"basic.ack", make<BasicAckFrame>(uint16_t(3), uint64_t(0x0102030405060708), true),
         methodFrame(3, 60, 80, Octets().u64(0x0102030405060708).u8(1))},
        {"basic.reject", make<BasicRejectFrame>(uint16_t(3), uint64_t(9), true),
         methodFrame(3, 60, 90, Octets().u64(9).u8(1))},
        {"basic.recover", make<BasicRecoverFrame>(uint16_t(3), true),
         methodFrame(3, 60, 110, Octets().u8(1))},
        {"basic.nack", make<BasicNackFrame>(uint16_t(3), uint64_t(9), true, true),
         methodFrame(3, 60, 120, Octets().u64(9).u8(0x03))},
        {"confirm.select", make<ConfirmSelectFrame>(uint16_t(4), false),
         methodFrame(4, 85, 10, Octets().u8(0))},
        {"tx.select", make<TransactionSelectFrame>(uint16_t(5)), methodFrame(5, 90, 10, "")},
        {"tx.commit", make<TransactionCommitFrame>(uint16_t(5)), methodFrame(5, 90, 20, "")},
        {"tx.rollback", make<TransactionRollbackFrame>(uint16_t(5)), methodFrame(5, 90, 30, "")},
    };
    for (const auto& method : methods)
    {
        auto frame = method._make();
        EXPECT_EQ(encode(*frame), method._octets) << method._name;
        EXPECT_EQ(frame->totalSize(), method._octets.size()) << method._name;
    }
}

TEST(MethodTest, SentMethodsThatOnlyAClientSendsAreRefusedWhenReceived)
{
    // Each is decoded first (its octets are well-formed), then refused.
    const std::pair<std::string, const char*> methods[] = {
        {encode(ConnectionStartOKFrame(Table(), "PLAIN", "x", "en_US")),
         "unimplemented frame type 1 class 10 method 11"},
        {methodFrame(0, 10, 20, Octets().longString("challenge")),
         "unimplemented frame type 1 class 10 method 20"},
        {methodFrame(0, 10, 21, Octets().longString("response")),
         "unimplemented frame type 1 class 10 method 21"},
        {encode(ConnectionTuneOKFrame(1, 2, 3)), "unimplemented frame type 1 class 10 method 31"},
        {encode(ConnectionOpenFrame("/")), "unimplemented frame type 1 class 10 method 40"},
        {encode(ChannelOpenFrame(1)), "unimplemented frame type 1 class 20 method 10"},
        {encode(ChannelFlowFrame(1, false)), "unimplemented frame type 1 class 20 method 20"},
        {encode(ExchangeDeclareFrame(1, "e", "direct", 0, 0, 0, 0, 0, Table())),
         "unimplemented frame type 1 class 40 method 10"},
        {encode(ExchangeDeleteFrame(1, "e", 0, 0)),
         "unimplemented frame type 1 class 40 method 20"},
        {encode(ExchangeBindFrame(1, "a", "b", "c", 0, Table())),
         "unimplemented frame type 1 class 40 method 30"},
        {encode(ExchangeUnbindFrame(1, "a", "b", "c", 0, Table())),
         "unimplemented frame type 1 class 40 method 40"},
        {encode(QueueDeclareFrame(1, "q", 0, 0, 0, 0, 0, Table())),
         "unimplemented frame type 1 class 50 method 10"},
        {encode(QueueBindFrame(1, "q", "e", "k", 0, Table())),
         "unimplemented frame type 1 class 50 method 20"},
        {encode(QueuePurgeFrame(1, "q", 0)), "unimplemented frame type 1 class 50 method 30"},
        {encode(QueueDeleteFrame(1, "q", 0, 0, 0)),
         "unimplemented frame type 1 class 50 method 40"},
        {encode(QueueUnbindFrame(1, "q", "e", "k", Table())),
         "unimplemented frame type 1 class 50 method 50"},
        {encode(BasicQosFrame(1, 1, 0)), "unimplemented frame type 1 class 60 method 10"},
        {encode(BasicConsumeFrame(1, "q", "t", 0, 0, 0, 0, Table())),
         "unimplemented frame type 1 class 60 method 20"},
        {encode(BasicCancelFrame(1, "t", 0)), "unimplemented frame type 1 class 60 method 30"},
        {encode(BasicGetFrame(1, "q", 0)), "unimplemented frame type 1 class 60 method 70"},
        {encode(BasicRejectFrame(1, 1, 0)), "unimplemented frame type 1 class 60 method 90"},
        {methodFrame(1, 60, 100, Octets().u8(1)), "unimplemented frame type 1 class 60 method 100"},
        {encode(BasicRecoverFrame(1, 0)), "unimplemented frame type 1 class 60 method 110"},
        {encode(ConfirmSelectFrame(1, 0)), "unimplemented frame type 1 class 85 method 10"},
        {encode(TransactionSelectFrame(1)), "unimplemented frame type 1 class 90 method 10"},
        {encode(TransactionCommitFrame(1)), "unimplemented frame type 1 class 90 method 20"},
        {encode(TransactionRollbackFrame(1)), "unimplemented frame type 1 class 90 method 30"},
    };
    for (const auto& [octets, message] : methods)
        EXPECT_EQ(unimplemented(octets), message);
}

TEST(MethodTest, ReceivedMethodsDecodeAndEncodeBackTheSame)
{
    Table server;
    server["product"] = "RabbitMQ";
    const std::string received[] = {
        methodFrame(0, 10, 10,
                    Octets()
                        .u8(0)
                        .u8(9)
                        .raw(encode(server))
                        .longString("PLAIN AMQPLAIN")
                        .longString("en_US")),
        methodFrame(0, 10, 30, Octets().u16(2047).u32(131072).u16(60)),
        methodFrame(0, 10, 41, Octets().u8(0)),
        methodFrame(0, 10, 50, Octets().u16(320).shortString("CONNECTION_FORCED").u16(0).u16(0)),
        methodFrame(0, 10, 51, ""),
        methodFrame(1, 20, 11, Octets().u32(0)),
        methodFrame(1, 20, 21, Octets().u8(1)),
        methodFrame(1, 20, 40, Octets().u16(404).shortString("NOT_FOUND").u16(50).u16(10)),
        methodFrame(1, 20, 41, ""),
        methodFrame(1, 40, 11, ""),
        methodFrame(1, 40, 21, ""),
        methodFrame(1, 40, 31, ""),
        methodFrame(1, 40, 51, ""),
        methodFrame(1, 50, 11, Octets().shortString("amq.gen-1").u32(5).u32(2)),
        methodFrame(1, 50, 21, ""),
        methodFrame(1, 50, 31, Octets().u32(7)),
        methodFrame(1, 50, 41, Octets().u32(8)),
        methodFrame(1, 50, 51, ""),
        methodFrame(1, 60, 11, ""),
        methodFrame(1, 60, 21, Octets().shortString("ctag")),
        methodFrame(1, 60, 31, Octets().shortString("ctag")),
        methodFrame(1, 60, 50,
                    Octets().u16(312).shortString("NO_ROUTE").shortString("ex").shortString("rk")),
        methodFrame(1, 60, 60,
                    Octets().shortString("ctag").u64(42).u8(1).shortString("ex").shortString("rk")),
        methodFrame(1, 60, 71, Octets().u64(43).u8(0).shortString("ex").shortString("rk").u32(3)),
        methodFrame(1, 60, 72, Octets().u8(0)),
        methodFrame(1, 60, 80, Octets().u64(44).u8(1)),
        methodFrame(1, 60, 111, ""),
        methodFrame(1, 60, 120, Octets().u64(45).u8(3)),
        methodFrame(1, 85, 11, ""),
        methodFrame(1, 90, 11, ""),
        methodFrame(1, 90, 21, ""),
        methodFrame(1, 90, 31, ""),
    };
    for (const auto& octets : received)
    {
        RecordingProcessor processor;
        EXPECT_TRUE(processFrame(octets, processor));
        ASSERT_TRUE(processor.last());
        auto& method = dynamic_cast<MethodFrame&>(*processor.last());
        EXPECT_EQ(method.classID(), uint8_t(octets[7]) << 8 | uint8_t(octets[8]));
        EXPECT_EQ(method.methodID(), uint8_t(octets[9]) << 8 | uint8_t(octets[10]));
        EXPECT_EQ(encode(method), octets) << method.classID() << "." << method.methodID();
    }
}

TEST(MethodTest, ReceivedArgumentsAreReadInOrder)
{
    RecordingProcessor processor;
    processFrame(methodFrame(0, 10, 30, Octets().u16(2047).u32(131072).u16(60)), processor);
    auto& tune = processor.lastAs<ConnectionTuneFrame>();
    EXPECT_EQ(tune.channelMax(), 2047);
    EXPECT_EQ(tune.frameMax(), 131072u);
    EXPECT_EQ(tune.heartbeat(), 60);

    processFrame(methodFrame(0, 10, 50, Octets().u16(320).shortString("bye").u16(10).u16(40)),
                 processor);
    auto& close = processor.lastAs<ConnectionCloseFrame>();
    EXPECT_EQ(close.replyCode(), 320);
    EXPECT_EQ(close.replyText(), "bye");
    EXPECT_EQ(close.failingClass(), 10);
    EXPECT_EQ(close.failingMethod(), 40);

    processFrame(methodFrame(1, 50, 11, Octets().shortString("q1").u32(5).u32(2)), processor);
    auto& declared = processor.lastAs<QueueDeclareOKFrame>();
    EXPECT_EQ(declared.name(), "q1");
    EXPECT_EQ(declared.messageCount(), 5u);
    EXPECT_EQ(declared.consumerCount(), 2u);

    processFrame(
        methodFrame(9, 60, 60,
                    Octets().shortString("ctag").u64(42).u8(1).shortString("ex").shortString("rk")),
        processor);
    auto& deliver = processor.lastAs<BasicDeliverFrame>();
    EXPECT_EQ(deliver.channel(), 9);
    EXPECT_EQ(deliver.consumerTag(), "ctag");
    EXPECT_EQ(deliver.deliveryTag(), 42u);
    EXPECT_TRUE(deliver.redelivered());
    EXPECT_EQ(deliver.exchange(), "ex");
    EXPECT_EQ(deliver.routingKey(), "rk");

    processFrame(
        methodFrame(1, 60, 71, Octets().u64(43).u8(0).shortString("e").shortString("r").u32(3)),
        processor);
    auto& got = processor.lastAs<BasicGetOKFrame>();
    EXPECT_EQ(got.deliveryTag(), 43u);
    EXPECT_FALSE(got.redelivered());
    EXPECT_EQ(got.exchange(), "e");
    EXPECT_EQ(got.routingKey(), "r");
    EXPECT_EQ(got.messageCount(), 3u);

    processFrame(
        methodFrame(1, 60, 50,
                    Octets().u16(312).shortString("NO_ROUTE").shortString("e").shortString("r")),
        processor);
    auto& returned = processor.lastAs<BasicReturnFrame>();
    EXPECT_EQ(returned.replyCode(), 312);
    EXPECT_EQ(returned.replyText(), "NO_ROUTE");
    EXPECT_EQ(returned.exchange(), "e");
    EXPECT_EQ(returned.routingKey(), "r");

    processFrame(methodFrame(1, 60, 120, Octets().u64(45).u8(2)), processor);
    auto& nack = processor.lastAs<BasicNackFrame>();
    EXPECT_EQ(nack.deliveryTag(), 45u);
    EXPECT_FALSE(nack.multiple());
    EXPECT_TRUE(nack.requeue());

    processFrame(methodFrame(1, 60, 80, Octets().u64(46).u8(1)), processor);
    EXPECT_TRUE(processor.lastAs<BasicAckFrame>().multiple());
    processFrame(methodFrame(1, 20, 21, Octets().u8(1)), processor);
    EXPECT_TRUE(processor.lastAs<ChannelFlowOKFrame>().active());
    processFrame(methodFrame(1, 50, 41, Octets().u32(8)), processor);
    EXPECT_EQ(processor.lastAs<QueueDeleteOKFrame>().messageCount(), 8u);
    processFrame(methodFrame(1, 60, 21, Octets().shortString("ct")), processor);
    EXPECT_EQ(processor.lastAs<BasicConsumeOKFrame>().consumerTag(), "ct");
}

TEST(MethodTest, PayloadSizesOfSmallMethods)
{
    EXPECT_EQ(ChannelOpenFrame(1).payloadSize(), 5u);
    EXPECT_EQ(BasicAckFrame(1, 1, false).payloadSize(), 13u);
    EXPECT_EQ(BasicRejectFrame(1, 1, false).payloadSize(), 13u);
}

TEST(MethodTest, OnlyAnsweredMethodsHoldTheChannel)
{
    EXPECT_FALSE(BasicPublishFrame(1, "e", "k", false, false).synchronous());
    EXPECT_FALSE(BasicAckFrame(1, 1, false).synchronous());
    EXPECT_FALSE(BasicNackFrame(1, 1, false, false).synchronous());
    EXPECT_FALSE(BasicRejectFrame(1, 1, false).synchronous());
    EXPECT_FALSE(BasicRecoverFrame(1, false).synchronous());

    EXPECT_TRUE(QueueDeclareFrame(1, "q", 0, 0, 0, 0, false, Table()).synchronous());
    EXPECT_FALSE(QueueDeclareFrame(1, "q", 0, 0, 0, 0, true, Table()).synchronous());
    EXPECT_TRUE(ExchangeDeclareFrame(1, "e", "t", 0, 0, 0, 0, false, Table()).synchronous());
    EXPECT_FALSE(ExchangeDeclareFrame(1, "e", "t", 0, 0, 0, 0, true, Table()).synchronous());
    EXPECT_FALSE(ExchangeDeleteFrame(1, "e", false, true).synchronous());
    EXPECT_FALSE(ExchangeBindFrame(1, "a", "b", "c", true, Table()).synchronous());
    EXPECT_FALSE(ExchangeUnbindFrame(1, "a", "b", "c", true, Table()).synchronous());
    EXPECT_FALSE(QueueBindFrame(1, "q", "e", "k", true, Table()).synchronous());
    EXPECT_FALSE(QueuePurgeFrame(1, "q", true).synchronous());
    EXPECT_FALSE(QueueDeleteFrame(1, "q", false, false, true).synchronous());
    EXPECT_FALSE(BasicConsumeFrame(1, "q", "t", 0, 0, 0, true, Table()).synchronous());
    EXPECT_FALSE(BasicCancelFrame(1, "t", true).synchronous());
    EXPECT_TRUE(BasicCancelFrame(1, "t", false).synchronous());
    EXPECT_TRUE(QueueUnbindFrame(1, "q", "e", "k", Table()).synchronous());
    EXPECT_TRUE(BasicQosFrame(1, 1, false).synchronous());
    EXPECT_TRUE(TransactionCommitFrame(1).synchronous());
    EXPECT_TRUE(ChannelCloseFrame(1, 0, "", 0, 0).synchronous());
}

TEST(MethodTest, HandshakeAndShutdownFrames)
{
    EXPECT_TRUE(ConnectionStartOKFrame(Table(), "PLAIN", "", "en_US").partOfHandshake());
    EXPECT_TRUE(ConnectionTuneOKFrame(0, 0, 0).partOfHandshake());
    EXPECT_TRUE(ConnectionOpenFrame("/").partOfHandshake());
    EXPECT_FALSE(ConnectionCloseFrame(0, "shutdown", 0, 0).partOfHandshake());
    EXPECT_TRUE(ConnectionCloseFrame(0, "shutdown", 0, 0).partOfShutdown());
    // The answer to a broker's close must go out after a close of our own too.
    EXPECT_TRUE(ConnectionCloseOKFrame().partOfShutdown());
    EXPECT_FALSE(ChannelOpenFrame(1).partOfHandshake());
}

TEST(MethodTest, NamesLongerThan255OctetsAreRefused)
{
    EXPECT_THROW(QueueDeclareFrame(1, std::string(256, 'q'), 0, 0, 0, 0, 0, Table()), Exception);
}
