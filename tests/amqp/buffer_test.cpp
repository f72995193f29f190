#include "amqp/buffers/inbuffer.h"

#include "amqp/buffers/bytebuffer.h"
#include "amqp/connectionhandler.h"
#include "amqp/buffers/copiedbuffer.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/monitor.h"
#include "amqp/buffers/passthroughbuffer.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/protocolheaderframe.h"
#include "amqp/buffers/reducedbuffer.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace AMQP;
using AMQPTest::Octets;

namespace
{

/// Records every onData call.
class RecordingHandler : public ConnectionHandler
{
public:
    void onData(Connection* connection, const char* buffer, size_t size) override
    {
        EXPECT_EQ(connection, _expectedConnection);
        _pieces.emplace_back(buffer, size);
        _pointers.push_back(buffer);
        if (_onData) _onData();
    }

    Connection* _expectedConnection = nullptr;
    std::vector<std::string> _pieces;
    std::vector<const char*> _pointers;
    std::function<void()> _onData;
};

} // namespace

TEST(InBufferTest, ReadsNumbersInNetworkOrder)
{
    std::string octets = Octets().u8(0xFF).u16(0x1234).u32(0xFFFFFFFE).u64(0x0102030405060708);
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    EXPECT_EQ(in.nextInt8(), -1);
    EXPECT_EQ(in.nextUint16(), 0x1234);
    EXPECT_EQ(in.nextInt32(), -2);
    EXPECT_EQ(in.nextUint64(), 0x0102030405060708u);
    EXPECT_EQ(in.available(), 0u);
}

TEST(InBufferTest, ReadPastTheEndThrowsAndConsumesNothing)
{
    std::string octets = "abcde";
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    in.nextUint16();
    try
    {
        in.nextUint32();
        FAIL() << "no exception";
    }
    catch (const ProtocolException& error)
    {
        EXPECT_STREQ(error.what(), "frame out of range");
    }
    EXPECT_EQ(in.consumed(), 2u);
    EXPECT_THROW(in.nextData(4), ProtocolException);
    EXPECT_EQ(std::string(in.nextData(3), 3), "cde");
    EXPECT_THROW(in.nextUint8(), ProtocolException);
}

TEST(InBufferTest, ReducedBufferHidesTheFirstOctets)
{
    std::string octets = "0123456789";
    ByteBuffer buffer(octets.data(), octets.size());
    ReducedBuffer reduced(buffer, 4);
    EXPECT_EQ(reduced.size(), 6u);
    EXPECT_EQ(reduced.byte(0), '4');
    EXPECT_EQ(std::string(reduced.data(1, 3), 3), "567");
    char copy[2];
    reduced.copy(4, 2, copy);
    EXPECT_EQ(std::string(copy, 2), "89");
}

TEST(InBufferTest, MovedByteBufferIsLeftEmpty)
{
    ByteBuffer first("abc", 3);
    ByteBuffer second(std::move(first));
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.size(), 3u);
    first = std::move(second);
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(second.size(), 0u);
}

TEST(CopiedBufferTest, HoldsTheFrameAsItGoesOnTheWire)
{
    CopiedBuffer heartbeat{HeartbeatFrame()};
    EXPECT_EQ(std::string(heartbeat.data(), heartbeat.size()),
              std::string("\x08\x00\x00\x00\x00\x00\x00\xCE", 8));
    EXPECT_FALSE(heartbeat.synchronous());

    CopiedBuffer header{ProtocolHeaderFrame(0, 9, 1)};
    EXPECT_EQ(std::string(header.data(), header.size()), std::string("AMQP\x00\x00\x09\x01", 8));

    CopiedBuffer moved(std::move(header));
    EXPECT_EQ(moved.size(), 8u);
    EXPECT_EQ(header.size(), 0u);
    EXPECT_EQ(header.data(), nullptr);
}

TEST(CopiedBufferTest, RemembersWhetherItsFrameIsSynchronous)
{
    EXPECT_TRUE(CopiedBuffer(ChannelOpenFrame(1)).synchronous());
    EXPECT_FALSE(CopiedBuffer(BasicAckFrame(1, 5, false)).synchronous());
}

TEST(PassthroughBufferTest, DeliversSmallPiecesTogetherAndTheRestAtTheEnd)
{
    RecordingHandler handler;
    auto* connection = reinterpret_cast<Connection*>(&handler);
    handler._expectedConnection = connection;
    Watchable owner;
    Monitor monitor(&owner);
    std::string first(4000, 'a'), second(200, 'b');
    {
        PassthroughBuffer buffer(connection, &handler, HeartbeatFrame(), monitor);
        EXPECT_TRUE(handler._pieces.empty());
        buffer.append(first.data(), first.size());
        EXPECT_TRUE(handler._pieces.empty());
        buffer.append(second.data(), second.size());
        ASSERT_EQ(handler._pieces.size(), 1u);
        EXPECT_EQ(handler._pieces[0].size(), 4008u);
    }
    ASSERT_EQ(handler._pieces.size(), 2u);
    EXPECT_EQ(handler._pieces[1], second);
}

TEST(PassthroughBufferTest, PassesALargePieceThroughInOneCall)
{
    RecordingHandler handler;
    Watchable owner;
    Monitor monitor(&owner);
    std::string body(5000, 'z');
    {
        PassthroughBuffer buffer(nullptr, &handler, BodyFrame(3, body.data(), 5000), monitor);
    }
    // The 7 header octets, the body unstaged, then the end octet.
    ASSERT_EQ(handler._pieces.size(), 3u);
    EXPECT_EQ(handler._pieces[0], Octets().u8(3).u16(3).u32(5000).str());
    EXPECT_EQ(handler._pieces[1].size(), 5000u);
    EXPECT_EQ(handler._pointers[1], body.data());
    EXPECT_EQ(handler._pieces[2], "\xCE");
}

TEST(PassthroughBufferTest, StopsWritingWhenTheConnectionIsDestroyed)
{
    RecordingHandler handler;
    auto owner = std::make_unique<Watchable>();
    Monitor monitor(owner.get());
    handler._onData = [&] { owner.reset(); };
    std::string body(5000, 'z');
    {
        PassthroughBuffer buffer(nullptr, &handler, BodyFrame(3, body.data(), 5000), monitor);
    }
    // The header went out; the body and the end octet were dropped.
    EXPECT_EQ(handler._pieces.size(), 1u);
}

TEST(PassthroughBufferTest, WritesASmallFrameInOneCall)
{
    RecordingHandler handler;
    Watchable owner;
    Monitor monitor(&owner);
    {
        PassthroughBuffer buffer(nullptr, &handler, BasicAckFrame(1, 2, true), monitor);
    }
    ASSERT_EQ(handler._pieces.size(), 1u);
    EXPECT_EQ(handler._pieces[0], AMQPTest::encode(BasicAckFrame(1, 2, true)));
}
