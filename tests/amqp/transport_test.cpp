// What a TcpConnection does with a peer that misbehaves: garbage, a frame
// cut short by the end of the connection, frames larger than agreed; and
// frames larger than the first input block once no limit was agreed.
#include "amqp/tcpconnection.h"

#include "amqp/address.h"
#include "scriptedpeer.h"
#include "tcpharness.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

using Names = std::vector<std::string>;

/// The events of a connection to peer until it is detached; the
/// descriptors it opened are closed again by then, before the connection
/// itself goes.
Names events(const ScriptedPeer& peer, double startupTimeout = 60)
{
    Loop loop;
    RecordingHandler handler(loop, startupTimeout);
    size_t descriptors = openDescriptors();
    {
        TcpConnection connection(&handler,
                                 Address("amqp://127.0.0.1:" + std::to_string(peer.port()) + "/"));
        EXPECT_TRUE(loop.until([&] { return handler.saw("detached"); }, std::chrono::seconds(5)));
        EXPECT_EQ(connection.fileno(), -1);
        EXPECT_EQ(openDescriptors(), descriptors);
    }
    EXPECT_EQ(openDescriptors(), descriptors);
    return handler.events();
}

std::string oversizedFrame()
{
    // During the handshake the limit is 4096 octets.
    return Octets().u8(1).u16(0).u32(100000).raw(std::string(100, 'x'));
}

} // namespace

TEST(TransportTest, GarbageFromThePeerIsAnErrorThenTheSocketCloses)
{
    ScriptedPeer peer(ScriptedPeer::Script::reply, 0, false,
                      "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
    Names seen = events(peer);
    ASSERT_EQ(seen.size(), 5u) << ::testing::PrintToString(seen);
    EXPECT_EQ(seen[0], "attached");
    EXPECT_EQ(seen[2].rfind("error: ", 0), 0u);
    EXPECT_EQ((Names{seen[3], seen[4]}), (Names{"lost", "detached"}));
}

TEST(TransportTest, FrameCutShortByTheEndOfTheConnectionIsLost)
{
    std::string start = connectionStart();
    ScriptedPeer peer(ScriptedPeer::Script::reply, 0, false, start.substr(0, start.size() - 10));
    EXPECT_EQ(events(peer),
              (Names{"attached", "connected", "error: connection lost", "lost", "detached"}));
}

TEST(TransportTest, FrameLargerThanAgreedIsRefused)
{
    ScriptedPeer peer(ScriptedPeer::Script::reply, 0, false, oversizedFrame());
    EXPECT_EQ(events(peer),
              (Names{"attached", "connected", "error: frame size exceeded", "lost", "detached"}));
}

TEST(TransportTest, WithoutAnAgreedLimitLargeFramesArriveWhole)
{
    // A body frame far larger than the first input block, for a channel
    // that does not exist (dropped), then the broker's close: its text
    // arrives only when the large frame was read whole.
    std::string large = frameOf(3, 7, std::string(60000, 'b'));
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false,
                      large + connectionClose(320, "CONNECTION_FORCED - after large"), 0);
    Names seen = events(peer);
    EXPECT_EQ(seen, (Names{"attached", "connected", "ready",
                           "error: CONNECTION_FORCED - after large", "lost", "detached"}));
    // The close-ok went out before the socket closed.
    EXPECT_EQ(peer.methods(2000), 1u);
}

TEST(TransportTest, FatalErrorEndsTheConnectionThoughThePeerHoldsItsSocket)
{
    // No heartbeat was agreed and the start-up time is far off: only the
    // error itself can end these connections.
    ScriptedPeer garbage(ScriptedPeer::Script::hold, 0, false, "HTTP/1.1 400 Bad Request\r\n\r\n");
    Names seen = events(garbage);
    ASSERT_EQ(seen.size(), 5u) << ::testing::PrintToString(seen);
    EXPECT_EQ(seen[2].rfind("error: ", 0), 0u);
    EXPECT_EQ((Names{seen[3], seen[4]}), (Names{"lost", "detached"}));

    ScriptedPeer oversized(ScriptedPeer::Script::hold, 0, false, oversizedFrame());
    EXPECT_EQ(events(oversized),
              (Names{"attached", "connected", "error: frame size exceeded", "lost", "detached"}));
}

TEST(TransportTest, FrameCutShortByAPeerThatHoldsItsSocketEndsWithTheStartUpTime)
{
    // Not an error by itself: the rest may still come, until the start-up
    // time is over.
    std::string start = connectionStart();
    ScriptedPeer peer(ScriptedPeer::Script::hold, 0, false, start.substr(0, start.size() - 10));
    Names seen = events(peer, 0.5);
    ASSERT_GE(seen.size(), 5u) << ::testing::PrintToString(seen);
    EXPECT_EQ((Names{seen.begin(), seen.begin() + 5}),
              (Names{"attached", "connected", "error: connection prematurely closed by client",
                     "lost", "detached"}));
}
