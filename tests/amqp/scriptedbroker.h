#pragma once

// The broker's side of a conversation, scripted: octets that a broker
// sends, built by hand, a connection handler that records what the client
// writes and every event, and a reader of the frames it wrote.

#include "amqp/buffers/bytebuffer.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/login.h"
#include "amqp/table.h"
#include "tests/amqp/wirehelpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace AMQPTest
{

inline std::string fixture(const char* name)
{
    std::ifstream file(std::string(AMQP_TEST_FIXTURES) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

/// Keeps what the connection writes and logs every event in order; each
/// callback can also run a hook (to destroy things, for instance).
class ScriptedHandler : public AMQP::ConnectionHandler
{
public:
    void onProperties(AMQP::Connection*, const AMQP::Table& server, AMQP::Table& client) override
    {
        _events.push_back("properties");
        if (_onProperties) _onProperties(server, client);
    }

    uint16_t onNegotiate(AMQP::Connection*, uint16_t interval) override
    {
        _offeredHeartbeat = interval;
        return _heartbeat;
    }

    void onData(AMQP::Connection*, const char* buffer, size_t size) override
    {
        _written.append(buffer, size);
        ++_writes;
        if (_onData) _onData();
    }

    void onHeartbeat(AMQP::Connection*) override
    {
        _events.push_back("heartbeat");
        if (_onHeartbeat) _onHeartbeat();
    }

    void onBlocked(AMQP::Connection*, const char* reason) override
    {
        _events.push_back(std::string("blocked: ") + reason);
        if (_onBlocked) _onBlocked();
    }

    void onUnblocked(AMQP::Connection*) override
    {
        _events.push_back("unblocked");
        if (_onUnblocked) _onUnblocked();
    }

    void onError(AMQP::Connection*, const char* message) override
    {
        _events.push_back(std::string("error: ") + message);
        if (_onError) _onError();
    }

    void onReady(AMQP::Connection*) override
    {
        _events.push_back("ready");
        if (_onReady) _onReady();
    }

    void onClosed(AMQP::Connection*) override
    {
        _events.push_back("closed");
        if (_onClosed) _onClosed();
    }

    /// What was written since the last take.
    std::string take() { return std::exchange(_written, std::string()); }

    std::string _written;
    size_t _writes = 0;
    std::vector<std::string> _events;
    uint16_t _heartbeat = 0;
    uint16_t _offeredHeartbeat = 0;
    std::function<void(const AMQP::Table&, AMQP::Table&)> _onProperties;
    std::function<void()> _onData, _onHeartbeat, _onBlocked, _onUnblocked, _onError, _onReady,
        _onClosed;
};

/// One frame the client wrote.
struct SentFrame
{
    uint8_t _type;
    uint16_t _channel;
    std::string _payload;

    uint16_t classID() const { return uint8_t(_payload[0]) << 8 | uint8_t(_payload[1]); }
    uint16_t methodID() const { return uint8_t(_payload[2]) << 8 | uint8_t(_payload[3]); }
    /// The arguments of a method.
    std::string arguments() const { return _payload.substr(4); }
};

/// Cuts octets into frames; every octet must belong to a whole frame.
inline std::vector<SentFrame> sentFrames(const std::string& octets)
{
    std::vector<SentFrame> frames;
    size_t position = 0;
    while (position < octets.size())
    {
        EXPECT_GE(octets.size() - position, 8u) << "a frame is cut short";
        if (octets.size() - position < 8) break;
        auto octet = [&](size_t offset) { return uint32_t(uint8_t(octets[position + offset])); };
        uint32_t size = octet(3) << 24 | octet(4) << 16 | octet(5) << 8 | octet(6);
        EXPECT_LE(position + size + 8, octets.size()) << "a frame is cut short";
        if (position + size + 8 > octets.size()) break;
        EXPECT_EQ(octet(7 + size), 0xCEu) << "end of frame marker";
        frames.push_back({uint8_t(octet(0)), uint16_t(octet(1) << 8 | octet(2)),
                          octets.substr(position + 7, size)});
        position += size + 8;
    }
    return frames;
}

/// The frames as short names: "1:50.10" for a method (channel:class.method),
/// "1:header" and "1:body(5)" for content, "heartbeat".
inline std::vector<std::string> describe(const std::string& octets)
{
    std::vector<std::string> names;
    for (const auto& frame : sentFrames(octets))
    {
        std::string channel = std::to_string(frame._channel) + ":";
        switch (frame._type)
        {
        case 1:
            names.push_back(channel + std::to_string(frame.classID()) + "." +
                            std::to_string(frame.methodID()));
            break;
        case 2:
            names.push_back(channel + "header");
            break;
        case 3:
            names.push_back(channel + "body(" + std::to_string(frame._payload.size()) + ")");
            break;
        case 8:
            names.push_back("heartbeat");
            break;
        default:
            names.push_back(channel + "type " + std::to_string(frame._type));
        }
    }
    return names;
}

using Names = std::vector<std::string>;

// What a broker sends.

inline std::string connectionStart()
{
    return fixture("broker-connection-start");
}

inline std::string connectionTune(uint16_t channelMax, uint32_t frameMax, uint16_t heartbeat)
{
    return methodFrame(0, 10, 30, Octets().u16(channelMax).u32(frameMax).u16(heartbeat));
}

inline std::string connectionOpenOK()
{
    return methodFrame(0, 10, 41, Octets().shortString(""));
}

inline std::string connectionClose(uint16_t code, const std::string& text)
{
    return methodFrame(0, 10, 50, Octets().u16(code).shortString(text).u16(0).u16(0));
}

inline std::string connectionBlocked(const std::string& reason)
{
    return methodFrame(0, 10, 60, Octets().shortString(reason));
}

inline std::string connectionUnblocked()
{
    return methodFrame(0, 10, 61, "");
}

inline std::string connectionCloseOK()
{
    return methodFrame(0, 10, 51, "");
}

inline std::string channelOpenOK(uint16_t channel)
{
    return methodFrame(channel, 20, 11, Octets().longString(""));
}

inline std::string channelClose(uint16_t channel, uint16_t code, const std::string& text)
{
    return methodFrame(channel, 20, 40, Octets().u16(code).shortString(text).u16(50).u16(10));
}

inline std::string channelCloseOK(uint16_t channel)
{
    return methodFrame(channel, 20, 41, "");
}

inline std::string queueDeclareOK(uint16_t channel, const std::string& name, uint32_t messages = 0,
                                  uint32_t consumers = 0)
{
    return methodFrame(channel, 50, 11, Octets().shortString(name).u32(messages).u32(consumers));
}

/// A reply without arguments, such as queue.bind-ok (50, 21).
inline std::string emptyReply(uint16_t channel, uint16_t classID, uint16_t methodID)
{
    return methodFrame(channel, classID, methodID, "");
}

inline std::string consumeOK(uint16_t channel, const std::string& tag)
{
    return methodFrame(channel, 60, 21, Octets().shortString(tag));
}

inline std::string cancelOK(uint16_t channel, const std::string& tag)
{
    return methodFrame(channel, 60, 31, Octets().shortString(tag));
}

inline std::string deliver(uint16_t channel, const std::string& tag, uint64_t deliveryTag,
                           bool redelivered = false, const std::string& routingKey = "key")
{
    return methodFrame(channel, 60, 60,
                       Octets()
                           .shortString(tag)
                           .u64(deliveryTag)
                           .u8(redelivered ? 1 : 0)
                           .shortString("exchange")
                           .shortString(routingKey));
}

inline std::string getOK(uint16_t channel, uint64_t deliveryTag, uint32_t messageCount)
{
    return methodFrame(channel, 60, 71,
                       Octets()
                           .u64(deliveryTag)
                           .u8(0)
                           .shortString("exchange")
                           .shortString("key")
                           .u32(messageCount));
}

inline std::string getEmpty(uint16_t channel)
{
    return methodFrame(channel, 60, 72, Octets().shortString(""));
}

inline std::string basicReturn(uint16_t channel, uint16_t code, const std::string& text)
{
    return methodFrame(
        channel, 60, 50,
        Octets().u16(code).shortString(text).shortString("exchange").shortString("nowhere"));
}

/// A content header with the content type "text/plain".
inline std::string contentHeader(uint16_t channel, uint64_t bodySize)
{
    return frameOf(2, channel,
                   Octets().u16(60).u16(0).u64(bodySize).u16(0x8000).shortString("text/plain"));
}

inline std::string contentBody(uint16_t channel, const std::string& octets)
{
    return frameOf(3, channel, octets);
}

inline std::string brokerAck(uint16_t channel, uint64_t deliveryTag, bool multiple)
{
    return methodFrame(channel, 60, 80, Octets().u64(deliveryTag).u8(multiple ? 1 : 0));
}

inline std::string brokerNack(uint16_t channel, uint64_t deliveryTag, bool multiple, bool requeue)
{
    return methodFrame(channel, 60, 120,
                       Octets().u64(deliveryTag).u8((multiple ? 1 : 0) | (requeue ? 2 : 0)));
}

inline uint64_t feed(AMQP::Connection& connection, const std::string& octets)
{
    AMQP::ByteBuffer buffer(octets.data(), octets.size());
    return connection.parse(buffer);
}

/// A connection through its handshake (channel-max 2047, frame-max 131072)
/// with nothing written since.
class Conversation
{
public:
    Conversation()
        : _connection(
              std::make_unique<AMQP::Connection>(&_handler, AMQP::Login("user", "pass"), "/"))
    {
        send(connectionStart() + connectionTune(2047, 131072, 0) + connectionOpenOK());
        _handler.take();
        _handler._events.clear();
    }

    /// Feeds octets that must be consumed whole.
    void send(const std::string& octets) { EXPECT_EQ(feed(*_connection, octets), octets.size()); }

    /// A channel that the broker has opened.
    std::unique_ptr<AMQP::Channel> openChannel()
    {
        auto channel = std::make_unique<AMQP::Channel>(_connection.get());
        auto written = describe(_handler.take());
        EXPECT_EQ(written.size(), 1u);
        uint16_t id = written.empty() ? 0 : uint16_t(std::stoi(written[0]));
        send(channelOpenOK(id));
        return channel;
    }

    ScriptedHandler _handler;
    std::unique_ptr<AMQP::Connection> _connection;
};

/// A conversation with channel 1 open: the fixture of the tests of a
/// channel's operations.
class OpenChannelTest : public ::testing::Test
{
protected:
    OpenChannelTest() : _channel(_conversation.openChannel()) {}

    std::string take() { return _conversation._handler.take(); }
    void send(const std::string& octets) { _conversation.send(octets); }
    std::vector<std::string>& events() { return _conversation._handler._events; }

    /// Records name in the events of the conversation when called.
    std::function<void()> mark(const std::string& name)
    {
        return [this, name] { events().push_back(name); };
    }

    Conversation _conversation;
    std::unique_ptr<AMQP::Channel> _channel;
};

} // namespace AMQPTest
