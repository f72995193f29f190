#include "amqp/frames/receivedframe.h"

#include "amqp/buffers/bytebuffer.h"
#include "amqp/envelope.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/protocolheaderframe.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

std::string protocolError(const std::string& octets, uint32_t max = 4096)
{
    RecordingProcessor processor;
    try
    {
        processFrame(octets, processor, max);
    }
    catch (const ProtocolException& error)
    {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(FrameTest, HeartbeatAndProtocolHeaderToTheOctet)
{
    EXPECT_EQ(encode(HeartbeatFrame()), std::string("\x08\x00\x00\x00\x00\x00\x00\xCE", 8));
    EXPECT_EQ(encode(ProtocolHeaderFrame(0, 9, 1)),
              std::string("\x41\x4D\x51\x50\x00\x00\x09\x01", 8));
    EXPECT_TRUE(ProtocolHeaderFrame(0, 9, 1).partOfHandshake());
    EXPECT_FALSE(ProtocolHeaderFrame(0, 9, 1).needsSeparator());
}

TEST(FrameTest, HeaderIsReadOnlyOnceAllSevenOctetsAreThere)
{
    std::string octets = frameOf(1, 3, std::string(100, 'p'));
    ByteBuffer six(octets.data(), 6);
    ReceivedFrame partial(six, 4096);
    EXPECT_FALSE(partial.header());
    EXPECT_FALSE(partial.complete());

    ByteBuffer seven(octets.data(), 7);
    ReceivedFrame header(seven, 4096);
    EXPECT_TRUE(header.header());
    EXPECT_FALSE(header.complete());
    EXPECT_EQ(header.channel(), 3);
    EXPECT_EQ(header.payloadSize(), 100u);
    EXPECT_EQ(header.totalSize(), 108u);

    ByteBuffer whole(octets.data(), octets.size());
    EXPECT_TRUE(ReceivedFrame(whole, 4096).complete());
}

TEST(FrameTest, FrameSizeIsCheckedAgainstTheMaximum)
{
    std::string fits = Octets().u8(3).u16(1).u32(4088);
    std::string tooBig = Octets().u8(3).u16(1).u32(4089);
    ByteBuffer fitsBuffer(fits.data(), fits.size());
    EXPECT_NO_THROW(ReceivedFrame(fitsBuffer, 4096));
    ByteBuffer tooBigBuffer(tooBig.data(), tooBig.size());
    try
    {
        ReceivedFrame frame(tooBigBuffer, 4096);
        FAIL() << "no exception";
    }
    catch (const ProtocolException& error)
    {
        EXPECT_STREQ(error.what(), "frame size exceeded");
    }
    EXPECT_NO_THROW(ReceivedFrame(tooBigBuffer, 0));
}

TEST(FrameTest, EndMarkerIsCheckedOnlyOnceTheFrameIsComplete)
{
    std::string octets = frameOf(8, 0, "");
    octets.back() = '\xCD';
    EXPECT_EQ(protocolError(octets), "invalid end of frame marker");

    ByteBuffer incomplete(octets.data(), octets.size() - 1);
    ReceivedFrame frame(incomplete, 4096);
    EXPECT_FALSE(frame.complete());
}

TEST(FrameTest, HugePayloadSizeWithoutLimitNeverCountsAsComplete)
{
    // payload size + 8 overflows 32 bits: the frame must not look complete.
    std::string octets = Octets().u8(3).u16(1).u32(0xFFFFFFFA).raw("abc");
    ByteBuffer buffer(octets.data(), octets.size());
    ReceivedFrame frame(buffer, 0);
    EXPECT_FALSE(frame.complete());
    EXPECT_EQ(frame.totalSize(), 0xFFFFFFFAull + 8);
}

TEST(FrameTest, HeartbeatsOfType8And4ReachTheProcessor)
{
    for (uint8_t type : {8, 4})
    {
        RecordingProcessor processor;
        EXPECT_TRUE(processFrame(frameOf(type, 0, ""), processor));
        EXPECT_NE(dynamic_cast<HeartbeatFrame*>(processor.last().get()), nullptr);
    }
}

TEST(FrameTest, UnknownFrameTypesClassesAndMethodsAreRefused)
{
    EXPECT_EQ(protocolError(frameOf(5, 0, "")), "unrecognized frame type 5");
    EXPECT_EQ(protocolError(frameOf(0, 0, "")), "unrecognized frame type 0");
    EXPECT_EQ(protocolError(frameOf(9, 0, "")), "unrecognized frame type 9");
    EXPECT_EQ(protocolError(methodFrame(1, 30, 10, "")), "unrecognized method frame class 30");
    EXPECT_EQ(protocolError(frameOf(2, 1, Octets().u16(50).u16(0).u64(0).u16(0))),
              "unrecognized header frame class 50");

    const std::pair<uint16_t, const char*> classes[] = {
        {10, "unrecognized connection frame method 62"},
        {20, "unrecognized channel frame method 60"},
        {40, "unrecognized exchange frame method 60"},
        {50, "unrecognized queue frame method 60"},
        {60, "unrecognized basic frame method 61"},
        {85, "unrecognized confirm frame method 60"},
        {90, "unrecognized transaction frame method 60"},
    };
    for (const auto& [classID, message] : classes)
    {
        uint16_t methodID = classID == 60 ? 61 : classID == 10 ? 62 : 60;
        EXPECT_EQ(protocolError(methodFrame(1, classID, methodID, "")), message);
    }
    EXPECT_EQ(protocolError(methodFrame(1, 60, 41, "")), "unrecognized basic frame method 41");
}

TEST(FrameTest, MethodsOnlyAClientSendsAreDecodedThenRefused)
{
    std::string publish = Octets().u16(0).shortString("ex").shortString("key").u8(0);
    EXPECT_EQ(protocolError(methodFrame(1, 60, 40, publish)),
              "unimplemented frame type 1 class 60 method 40");
    // Decoding comes first: a truncated one is out of range instead.
    EXPECT_EQ(protocolError(methodFrame(1, 60, 40, Octets().u16(0).u8(9))), "frame out of range");
}

TEST(FrameTest, PayloadShorterThanItsFieldsIsOutOfRangeEvenWithAFrameBehindIt)
{
    // queue.declare-ok whose counts are missing, followed by another frame
    // whose octets must not be read as the counts.
    std::string octets =
        methodFrame(1, 50, 11, Octets().shortString("q")) + frameOf(8, 0, "") + frameOf(8, 0, "");
    EXPECT_EQ(protocolError(octets), "frame out of range");
}

TEST(FrameTest, BodyIsReceivedWithoutCopying)
{
    std::string octets = frameOf(3, 7, "payload");
    RecordingProcessor processor;
    ASSERT_TRUE(processFrame(octets, processor));
    auto& body = processor.lastAs<BodyFrame>();
    EXPECT_EQ(body.channel(), 7);
    EXPECT_EQ(body.payloadSize(), 7u);
    EXPECT_EQ(body.payload(), octets.data() + 7);
}

TEST(FrameTest, ContentHeaderIsDecoded)
{
    Envelope envelope("body", 4);
    envelope.setContentType("text/plain");
    std::string octets = encode(BasicHeaderFrame(2, envelope));
    EXPECT_EQ(octets,
              frameOf(2, 2, Octets().u16(60).u16(0).u64(4).u16(0x8000).shortString("text/plain")));
    RecordingProcessor processor;
    ASSERT_TRUE(processFrame(octets, processor));
    auto& header = processor.lastAs<BasicHeaderFrame>();
    EXPECT_EQ(header.channel(), 2);
    EXPECT_EQ(header.bodySize(), 4u);
    EXPECT_EQ(header.metaData().contentType(), "text/plain");
}
