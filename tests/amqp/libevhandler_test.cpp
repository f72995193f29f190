// LibEvHandler: heartbeats, dead and stalled peers, and records that never
// outlive their connections.
#include "amqp/libevhandler.h"

#include "amqp/address.h"
#include "amqp/tcpconnection.h"
#include "scriptedpeer.h"
#include "tcpharness.h"

#include <gtest/gtest.h>

#include <thread>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

using Names = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

std::string peerAddress(const ScriptedPeer& peer)
{
    return "amqp://127.0.0.1:" + std::to_string(peer.port()) + "/";
}

double seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

} // namespace

TEST(LibEvHandlerTest, HeartbeatsGoOutAtHalfTheIntervalAndReadsKeepTheConnection)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 2, true);
    Loop loop;
    RecordingHandler handler(loop);
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
    loop.run(std::chrono::milliseconds(4300));
    // One every second (2 / 2), and the peer's keep it alive past 3 s.
    EXPECT_GE(peer.heartbeats(), 3u);
    EXPECT_LE(peer.heartbeats(), 5u);
    EXPECT_EQ(handler.events(), (Names{"attached", "connected", "ready"}));
    EXPECT_GE(handler._heartbeats, 3);
}

TEST(LibEvHandlerTest, FramesSentOutsideAReadWaitForTheEndOfTheLoopTurnOnly)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false);
    Loop loop;
    RecordingHandler handler(loop);
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
    ASSERT_EQ(connection.queued(), 0u);
    // Sent from outside any read: held together, 8 octets each ...
    ASSERT_TRUE(connection.heartbeat());
    ASSERT_TRUE(connection.heartbeat());
    EXPECT_EQ(connection.queued(), 16u);
    // ... and written before the loop first waits, with nothing to read.
    ev_run(loop.get(), EVRUN_NOWAIT);
    EXPECT_EQ(connection.queued(), 0u);
    EXPECT_TRUE(loop.until([&] { return peer.heartbeats() == 2; }));
    // A close asked for behind a held frame lets it go first.
    ASSERT_TRUE(connection.heartbeat());
    ASSERT_TRUE(connection.close());
    EXPECT_TRUE(loop.until([&] { return peer.heartbeats() == 3; }));
    EXPECT_EQ(connection.queued(), 0u);
}

TEST(LibEvHandlerTest, FrameQueuedInTheUsersPrepareWatcherLeavesInTheSameTurn)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false);
    Loop loop;
    RecordingHandler handler(loop);
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
    ev_prepare prepare;
    ev_prepare_init(&prepare,
                    [](struct ev_loop* loop, ev_prepare* watcher, int)
                    {
                        ev_prepare_stop(loop, watcher);
                        static_cast<TcpConnection*>(watcher->data)->heartbeat();
                    });
    prepare.data = &connection;
    ev_prepare_start(loop.get(), &prepare);
    // Only a guard: the peer sends nothing that would end the wait.
    ev_timer guard;
    ev_timer_init(
        &guard, [](struct ev_loop*, ev_timer*, int) {}, 2, 0);
    ev_timer_start(loop.get(), &guard);
    ev_run(loop.get(), EVRUN_ONCE);
    EXPECT_TRUE(ev_is_active(&guard)) << "the turn waited for the guard";
    EXPECT_EQ(connection.queued(), 0u);
    ev_timer_stop(loop.get(), &guard);
    EXPECT_TRUE(loop.until([&] { return peer.heartbeats() == 1; }));
}

TEST(LibEvHandlerTest, FramesHeldForTheLoopTurnAreWrittenWhenTheConnectionGoesFirst)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false);
    Loop loop;
    RecordingHandler handler(loop);
    {
        TcpConnection connection(&handler, Address(peerAddress(peer)));
        ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
        ASSERT_TRUE(connection.heartbeat());
        ASSERT_EQ(connection.queued(), 8u);
    }
    EXPECT_TRUE(loop.until([&] { return peer.heartbeats() == 1; }));
}

TEST(LibEvHandlerTest, FrozenBrokerIsClosedAfterOneAndAHalfIntervals)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 2, true);
    Loop loop;
    RecordingHandler handler(loop);
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
    peer.freeze();
    auto frozen = Clock::now();
    ASSERT_TRUE(loop.until([&] { return handler.saw("detached"); }, std::chrono::seconds(10)));
    double spent = seconds(Clock::now() - frozen);
    EXPECT_LE(spent, 3.5);
    EXPECT_GE(spent, 1.9);
    EXPECT_EQ(handler.events(), (Names{"attached", "connected", "ready",
                                       "error: connection prematurely closed by client", "lost",
                                       "detached", "lost", "detached"}));
}

TEST(LibEvHandlerTest, ReadReadinessPushesTheDeadlineAndWriteReadinessDoesNot)
{
    // A peer that never sends after the handshake. The handler is also
    // asked to watch a pipe for the connection: its read end, holding an
    // octet, is always readable; its write end always writable. The
    // connection ignores both descriptors; only the readiness counts.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ASSERT_EQ(write(pipe[1], "x", 1), 1);
    for (bool reads : {true, false})
    {
        ScriptedPeer peer(ScriptedPeer::Script::handshake, 2, false);
        Loop loop;
        RecordingHandler handler(loop);
        TcpConnection connection(&handler, Address(peerAddress(peer)));
        ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
        if (reads)
            handler.monitor(&connection, pipe[0], readable);
        else
            handler.monitor(&connection, pipe[1], writable);
        bool ended = loop.until([&] { return handler.saw("detached"); }, std::chrono::seconds(4));
        EXPECT_EQ(ended, !reads) << (reads ? "read" : "write") << " readiness";
        handler.monitor(&connection, pipe[reads ? 0 : 1], 0);
    }
    close(pipe[0]);
    close(pipe[1]);
}

TEST(LibEvHandlerTest, HandshakeThatStallsIsClosedAfterTheStartUpTime)
{
    ScriptedPeer peer(ScriptedPeer::Script::silent, 0, false);
    Loop loop;
    RecordingHandler handler(loop, 0.5);
    auto start = Clock::now();
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("detached"); }, std::chrono::seconds(10)));
    double spent = seconds(Clock::now() - start);
    EXPECT_GE(spent, 0.45);
    EXPECT_LE(spent, 2.0);
    ASSERT_GE(handler.events().size(), 3u);
    EXPECT_EQ(handler.events()[2], "error: connection prematurely closed by client");
}

TEST(LibEvHandlerTest, StartUpTimeCountsFromTheConnectionAfterTheLoopSatBlocked)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false);
    Loop loop;
    RecordingHandler handler(loop, 1.0);
    // The loop's cached time falls behind, as while a probe runs elsewhere.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready") || handler.saw("detached"); }));
    EXPECT_EQ(handler.events(), (Names{"attached", "connected", "ready"}));
}

TEST(LibEvHandlerTest, StartUpTimeDoesNotEndAReadyConnectionWithoutHeartbeats)
{
    ScriptedPeer peer(ScriptedPeer::Script::handshake, 0, false);
    Loop loop;
    RecordingHandler handler(loop, 0.3);
    TcpConnection connection(&handler, Address(peerAddress(peer)));
    ASSERT_TRUE(loop.until([&] { return handler.saw("ready"); }));
    loop.run(std::chrono::milliseconds(600));
    EXPECT_EQ(handler.events(), (Names{"attached", "connected", "ready"}));
    EXPECT_EQ(peer.heartbeats(), 0u);
}

TEST(LibEvHandlerTest, RecordsNeverOutliveTheirConnections)
{
    Loop loop;
    // A short start-up time: a leaked record's timer would act on a
    // destroyed connection within the run below (and the sanitizer says so).
    RecordingHandler handler(loop, 0.2);
    int baseline = activeWatchers(loop);
    {
        // Destroyed while resolving: no onDetached ever reaches the handler.
        TcpConnection connection(&handler, Address(brokerAddress()));
        EXPECT_GT(activeWatchers(loop), baseline);
    }
    EXPECT_EQ(activeWatchers(loop), baseline);
    {
        // Refused: the resolver unwatches its pipe after the last onDetached.
        uint16_t port;
        {
            ScriptedPeer closed(ScriptedPeer::Script::silent, 0, false);
            port = closed.port();
        }
        TcpConnection connection(&handler,
                                 Address("amqp://127.0.0.1:" + std::to_string(port) + "/"));
        ASSERT_TRUE(loop.until([&] { return handler.saw("detached"); }));
    }
    {
        // Closed at once: the socket is unwatched after the onDetached.
        ScriptedPeer peer(ScriptedPeer::Script::silent, 0, false);
        uint16_t port = peer.port();
        TcpConnection connection(&handler,
                                 Address("amqp://127.0.0.1:" + std::to_string(port) + "/"));
        ASSERT_TRUE(loop.until([&] { return handler.saw("connected"); }));
        EXPECT_TRUE(connection.close(true));
        EXPECT_EQ(activeWatchers(loop), baseline);
    }
    loop.run(std::chrono::milliseconds(400));
    EXPECT_EQ(activeWatchers(loop), baseline);
}
