#include "amqp/message.h"

#include "amqp/frames/basicheaderframe.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/stackptr.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

std::string encodeProperties(const MetaData& metaData)
{
    StringBuffer buffer;
    metaData.fill(buffer);
    EXPECT_EQ(metaData.size(), buffer.octets().size());
    return buffer.octets();
}

MetaData decodeProperties(const std::string& octets)
{
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    MetaData metaData(in);
    EXPECT_EQ(in.available(), 0u);
    return metaData;
}

} // namespace

TEST(MetaDataTest, OnlyPresentPropertiesAreWritten)
{
    EXPECT_EQ(encodeProperties(MetaData()), std::string(2, '\0'));
    MetaData persistent;
    persistent.setDeliveryMode(2);
    EXPECT_EQ(encodeProperties(persistent), std::string("\x10\x00\x02", 3));
    EXPECT_TRUE(persistent.hasDeliveryMode());
    EXPECT_FALSE(persistent.hasPriority());
}

TEST(MetaDataTest, ContentTypeAndTimestamp)
{
    MetaData metaData;
    metaData.setContentType("application/json");
    metaData.setTimestamp(0x0102030405060708);
    EXPECT_EQ(
        encodeProperties(metaData),
        Octets().u8(0x80).u8(0x40).shortString("application/json").u64(0x0102030405060708).str());
    EXPECT_EQ(metaData.size(), 2u + 17 + 8);
}

TEST(MetaDataTest, EveryPropertyHasItsFlagBitAndPlaceInOrder)
{
    Table headers;
    headers["h"] = "v";
    MetaData metaData;
    // Set in reverse order: the wire order must not depend on it.
    metaData.setClusterID("cluster");
    metaData.setAppID("app");
    metaData.setUserID("user");
    metaData.setTypeName("type");
    metaData.setTimestamp(77);
    metaData.setMessageID("mid");
    metaData.setExpiration("60000");
    metaData.setReplyTo("reply");
    metaData.setCorrelationID("cid");
    metaData.setPriority(9);
    metaData.setDeliveryMode(2);
    metaData.setHeaders(headers);
    metaData.setContentEncoding("gzip");
    metaData.setContentType("text/plain");
    std::string expected = Octets()
                               .u16(0xFFFC)
                               .shortString("text/plain")
                               .shortString("gzip")
                               .raw(encode(headers))
                               .u8(2)
                               .u8(9)
                               .shortString("cid")
                               .shortString("reply")
                               .shortString("60000")
                               .shortString("mid")
                               .u64(77)
                               .shortString("type")
                               .shortString("user")
                               .shortString("app")
                               .shortString("cluster");
    EXPECT_EQ(encodeProperties(metaData), expected);

    MetaData decoded = decodeProperties(expected);
    EXPECT_EQ(encodeProperties(decoded), expected);
    EXPECT_EQ(decoded.contentType(), "text/plain");
    EXPECT_EQ(decoded.contentEncoding(), "gzip");
    EXPECT_EQ(static_cast<const std::string&>(decoded.headers().get("h")), "v");
    EXPECT_EQ(decoded.deliveryMode(), 2);
    EXPECT_EQ(decoded.priority(), 9);
    EXPECT_EQ(decoded.correlationID(), "cid");
    EXPECT_EQ(decoded.replyTo(), "reply");
    EXPECT_EQ(decoded.expiration(), "60000");
    EXPECT_EQ(decoded.messageID(), "mid");
    EXPECT_EQ(decoded.timestamp(), 77u);
    EXPECT_EQ(decoded.typeName(), "type");
    EXPECT_EQ(decoded.userID(), "user");
    EXPECT_EQ(decoded.appID(), "app");
    EXPECT_EQ(decoded.clusterID(), "cluster");
}

TEST(MetaDataTest, EachPropertyAloneSetsOnlyItsOwnBit)
{
    const std::pair<void (*)(MetaData&), uint16_t> properties[] = {
        {[](MetaData& m) { m.setContentType(""); }, 0x8000},
        {[](MetaData& m) { m.setContentEncoding(""); }, 0x4000},
        {[](MetaData& m) { m.setHeaders(Table()); }, 0x2000},
        {[](MetaData& m) { m.setDeliveryMode(0); }, 0x1000},
        {[](MetaData& m) { m.setPriority(0); }, 0x0800},
        {[](MetaData& m) { m.setCorrelationID(""); }, 0x0400},
        {[](MetaData& m) { m.setReplyTo(""); }, 0x0200},
        {[](MetaData& m) { m.setExpiration(""); }, 0x0100},
        {[](MetaData& m) { m.setMessageID(""); }, 0x0080},
        {[](MetaData& m) { m.setTimestamp(0); }, 0x0040},
        {[](MetaData& m) { m.setTypeName(""); }, 0x0020},
        {[](MetaData& m) { m.setUserID(""); }, 0x0010},
        {[](MetaData& m) { m.setAppID(""); }, 0x0008},
        {[](MetaData& m) { m.setClusterID(""); }, 0x0004},
    };
    for (const auto& [setProperty, bit] : properties)
    {
        MetaData metaData;
        setProperty(metaData);
        std::string octets = encodeProperties(metaData);
        EXPECT_EQ(octets.substr(0, 2), Octets().u16(bit).str()) << std::hex << bit;
        EXPECT_EQ(encodeProperties(decodeProperties(octets)), octets);
    }
}

TEST(MetaDataTest, BitsOfNoPropertyAreIgnored)
{
    MetaData metaData = decodeProperties(Octets().u8(0).u8(0x03));
    EXPECT_EQ(encodeProperties(metaData), std::string(2, '\0'));
}

TEST(MetaDataTest, TruncatedPropertiesAreOutOfRange)
{
    std::string octets = Octets().u16(0x8000).u8(10).raw("abc");
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    EXPECT_THROW(MetaData metaData(in), ProtocolException);
}

TEST(MetaDataTest, CopiesTakeEveryProperty)
{
    MetaData original;
    original.setMessageID("m");
    original.setPriority(4);
    MetaData copy;
    copy.setAppID("gone");
    copy.set(original);
    EXPECT_FALSE(copy.hasAppID());
    EXPECT_EQ(encodeProperties(copy), encodeProperties(original));
}

TEST(EnvelopeTest, BodyAndPropertiesRoundTripThroughTheContentHeader)
{
    std::string body = "{\"a\":1}";
    Envelope envelope(body.data(), body.size());
    envelope.setContentType("application/json");
    envelope.setDeliveryMode(2);
    std::string octets = encode(BasicHeaderFrame(5, envelope));
    EXPECT_EQ(BasicHeaderFrame(5, envelope).payloadSize(), 12 + envelope.size());

    RecordingProcessor processor;
    ASSERT_TRUE(processFrame(octets, processor));
    auto& header = processor.lastAs<BasicHeaderFrame>();
    EXPECT_EQ(header.bodySize(), body.size());
    EXPECT_EQ(encodeProperties(header.metaData()), encodeProperties(envelope));
    EXPECT_EQ(encode(header), octets);
}

TEST(MessageTest, BodyInOneFrameIsNotCopied)
{
    std::string frame(100, 'a');
    Message message("ex", "rk");
    message.setBodySize(100);
    message.append(frame.data(), frame.size());
    EXPECT_EQ(message.body(), frame.data());
    EXPECT_EQ(message.bodySize(), 100u);
    EXPECT_EQ(message.exchange(), "ex");
    EXPECT_EQ(message.routingKey(), "rk");
}

TEST(MessageTest, BodyOfSeveralFramesIsAssembledInOneBlock)
{
    std::string first(60, 'a'), second(40, 'b');
    Message message("", "");
    message.setBodySize(100);
    message.append(first.data(), first.size());
    message.append(second.data(), second.size());
    ASSERT_NE(message.body(), first.data());
    EXPECT_EQ(std::string(message.body(), message.bodySize()), first + second);
}

TEST(MessageTest, OctetsBeyondTheAnnouncedSizeAreDropped)
{
    std::string first(60, 'a'), second(80, 'b');
    Message message("", "");
    message.setBodySize(100);
    message.append(first.data(), first.size());
    message.append(second.data(), second.size());
    message.append(second.data(), second.size());
    EXPECT_EQ(std::string(message.body(), message.bodySize()), first + std::string(40, 'b'));
}

TEST(MessageTest, EmptyBodyHasNoFramesAndNoBody)
{
    Message message("", "");
    message.setBodySize(0);
    EXPECT_EQ(message.body(), nullptr);
    EXPECT_EQ(message.bodySize(), 0u);
}

TEST(MessageTest, EmptyBodyFramesAddNothing)
{
    std::string piece = "abc";
    Message message("", "");
    message.setBodySize(3);
    message.append(nullptr, 0);
    EXPECT_EQ(message.body(), nullptr);
    message.append(piece.data(), piece.size());
    EXPECT_EQ(message.body(), piece.data());
}

TEST(MessageTest, CopyOwnsItsBody)
{
    auto frame = std::make_unique<std::string>("payload");
    Message original("ex", "rk");
    original.setBodySize(frame->size());
    original.setAppID("app");
    original.append(frame->data(), frame->size());
    Message copy(original);
    frame.reset();
    EXPECT_EQ(std::string(copy.body(), copy.bodySize()), "payload");
    EXPECT_EQ(copy.appID(), "app");
    EXPECT_EQ(copy.routingKey(), "rk");
}

namespace
{

struct Counted
{
    explicit Counted(int& alive) : _alive(alive) { ++_alive; }
    ~Counted() { --_alive; }
    int& _alive;
};

} // namespace

TEST(StackPtrTest, ConstructReplacesAndResetDestroys)
{
    int alive = 0;
    {
        stack_ptr<Counted> holder;
        EXPECT_FALSE(holder);
        holder.construct(alive);
        holder.construct(alive);
        EXPECT_TRUE(holder);
        EXPECT_EQ(alive, 1);
        holder.reset();
        EXPECT_FALSE(holder);
        EXPECT_EQ(alive, 0);
        holder.construct(alive);
    }
    EXPECT_EQ(alive, 0);

    stack_ptr<Message> message;
    message.construct("ex", "rk");
    EXPECT_EQ(message->exchange(), "ex");
    EXPECT_EQ((*message).routingKey(), "rk");
}
