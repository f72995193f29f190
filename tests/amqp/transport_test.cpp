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
/// descriptors it opened are closed again by then.
Names events(const ScriptedPeer& peer)
{
    Loop loop;
    RecordingHandler handler(loop);
    size_t descriptors = openDescriptors();
    {
        TcpConnection connection(&handler,
                                 Address("amqp://127.0.0.1:" + std::to_string(peer.port()) + "/"));
        EXPECT_TRUE(loop.until([&] { return handler.saw("detached"); }));
        EXPECT_EQ(connection.fileno(), -1);
    }
    EXPECT_EQ(openDescriptors(), descriptors);
    return handler.events();
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
    // During the handshake the limit is 4096 octets.
    ScriptedPeer peer(ScriptedPeer::Script::reply, 0, false,
                      Octets().u8(1).u16(0).u32(100000).raw(std::string(100, 'x')));
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
}
