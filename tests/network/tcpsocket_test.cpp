#include "network/tcpsocket.h"

#include "dns/message/ip.h"
#include "network/peeraddress.h"
#include "tests/network/support/loopfixture.h"
#include "tests/network/support/peers.h"
#include "tests/network/support/recorder.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

using namespace Kestrava::Network;
using namespace Kestrava::Network::Test;
using Reports = std::vector<std::string>;

namespace
{

const DNS::Ip localhost("127.0.0.1");

/// The local port of a socket.
uint16_t localPort(int fd)
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

void shrinkBuffers(int fd)
{
    int size = 16384;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

class TcpSocketTest : public LoopFixture
{
};

} // namespace

TEST_F(TcpSocketTest, ConnectIsReportedFromTheLoop)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    EXPECT_TRUE(recorder.reports.empty());
    EXPECT_FALSE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));

    ASSERT_TRUE(runUntil([&] { return !recorder.reports.empty(); }));
    EXPECT_EQ(recorder.reports, Reports{"connected"});
    EXPECT_EQ(socket.state(), TcpSocket::established);
    PeerAddress peer(socket);
    EXPECT_EQ(peer.ip(), localhost);
    EXPECT_EQ(peer.port(), port);
}

TEST_F(TcpSocketTest, RefusedPortFails)
{
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, closedPort(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    EXPECT_EQ(recorder.reports, Reports{"failure"});
    EXPECT_EQ(socket.state(), TcpSocket::idle);
    EXPECT_EQ(socket.fd(), -1);
}

TEST_F(TcpSocketTest, UnansweredConnectTimesOutOnce)
{
    FullListener listener;
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, listener.port(), 0.3));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    runFor(0.5);
    EXPECT_EQ(recorder.reports, Reports{"timeout"});
    EXPECT_EQ(socket.state(), TcpSocket::idle);
    EXPECT_EQ(socket.fd(), -1);
}

TEST_F(TcpSocketTest, ConnectsOverIpv6AndRefusesMixedFamilies)
{
    Recorder listening, accepted, client;
    TcpSocket listener(loop(), &listening);
    ASSERT_TRUE(listener.listen(DNS::Ip("::1"), 0, false));
    std::unique_ptr<TcpSocket> server;
    listening.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connect") server = std::make_unique<TcpSocket>(socket, &accepted);
    };

    TcpSocket socket(loop(), &client);
    EXPECT_FALSE(socket.connect(DNS::Ip("::1"), localhost, localPort(listener.fd()), 5.0));
    EXPECT_FALSE(socket.connect(localhost, DNS::Ip("::1"), localPort(listener.fd()), 5.0));
    EXPECT_EQ(socket.state(), TcpSocket::idle);

    ASSERT_TRUE(socket.connect(DNS::Ip("::1"), DNS::Ip("::1"), localPort(listener.fd()), 5.0));
    ASSERT_TRUE(runUntil([&] { return client.saw("connected") && server != nullptr; }));
    EXPECT_EQ(socket.write("ping", 4, false), 4u);
    ASSERT_TRUE(runUntil([&] { return accepted.input == "ping"; }));
    EXPECT_EQ(PeerAddress(*server).ip(), DNS::Ip("::1"));
    EXPECT_EQ(PeerAddress(*server).port(), localPort(socket.fd()));
}

TEST_F(TcpSocketTest, BusyLocalPortGivesUpAfterAFewTries)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    // The same local port to the same peer can never be had twice.
    Socket first = Socket::connectTo(port);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    EXPECT_FALSE(socket.connect(localhost, localPort(first.fd()), localhost,
                                static_cast<uint16_t>(port), 5.0));
    EXPECT_EQ(socket.state(), TcpSocket::idle);
    EXPECT_EQ(socket.fd(), -1);
}

TEST_F(TcpSocketTest, BytesWrittenWhileConnectingGoFirst)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    std::string received;
    std::thread peer([&] { received = readAll(listener.accept()); });

    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    EXPECT_EQ(socket.write("first ", 6, false), 6u);
    recorder.action = [](TcpSocket* socket, const std::string& report)
    {
        if (report != "connected") return;
        EXPECT_EQ(socket->write("second", 6, true), 6u);
        socket->close();
    };
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    peer.join();
    EXPECT_EQ(received, "first second");
    EXPECT_EQ(recorder.reports, (Reports{"connected", "closed"}));
}

TEST_F(TcpSocketTest, QueuedOutputKeepsOrderAndCloseDeliversAll)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    shrinkBuffers(listener.fd());
    LateReader peer(listener);

    const std::string large(10 * 1024 * 1024, 'x');
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report != "connected") return;
        shrinkBuffers(socket->fd());
        EXPECT_EQ(socket->write(large.data(), large.size(), true), large.size());
        EXPECT_EQ(socket->write("!", 1, false), 0u);
        iovec tail[2] = {{const_cast<char*>("ta"), 2}, {const_cast<char*>("il"), 2}};
        EXPECT_EQ(socket->write(tail, 2, true), 4u);
        EXPECT_TRUE(socket->close());
        EXPECT_EQ(socket->write("late", 4, true), 0u);
        peer.start();
    };
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 30.0));
    std::string received = peer.received();
    EXPECT_EQ(recorder.reports, (Reports{"connected", "closed"}));
    EXPECT_EQ(received.size(), large.size() + 4);
    EXPECT_TRUE(received == large + "tail");
}

TEST_F(TcpSocketTest, PeerCloseIsLostAndInputArrivesFirst)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    std::thread peer([&] { writeAll(listener.accept(), "bye"); });

    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    peer.join();
    EXPECT_EQ(recorder.reports, (Reports{"connected", "lost"}));
    EXPECT_EQ(recorder.input, "bye");
    EXPECT_EQ(socket.state(), TcpSocket::idle);
}

TEST_F(TcpSocketTest, WaitReportsWritableOnce)
{
    // With nothing queued, and with output the peer takes only later: the
    // report follows once all of it is written.
    const std::string large(4 << 20, 'x');
    for (bool queued : {false, true})
    {
        SCOPED_TRACE(queued);
        int port;
        Socket listener = Socket::listenOn(&port);
        std::string taken;
        std::thread peer;
        Recorder recorder;
        TcpSocket socket(loop(), &recorder);
        recorder.action = [&](TcpSocket* socket, const std::string& report)
        {
            if (report != "connected") return;
            if (queued)
            {
                shrinkBuffers(socket->fd());
                EXPECT_EQ(large.size(), socket->write(large.data(), large.size(), true));
                peer = std::thread([&] { taken = readSome(listener.accept(), large.size()); });
            }
            EXPECT_TRUE(socket->wait());
        };
        ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
        ASSERT_TRUE(runUntil([&] { return recorder.writableReports > 0; }));
        runFor(0.2);
        EXPECT_EQ(recorder.writableReports, 1);
        if (peer.joinable()) peer.join();
        EXPECT_EQ(taken.size(), queued ? large.size() : 0u);
    }
}

// A write to a connection the peer has reset must not raise SIGPIPE, which
// is left at its default here: it would end the test program.
TEST_F(TcpSocketTest, ResetDuringLargeWriteIsLostWithoutSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    int port;
    Socket listener = Socket::listenOn(&port);
    std::thread peer(
        [&]
        {
            Socket connection = listener.accept();
            readSome(connection, 65536);
            reset(std::move(connection));
        });

    const std::string large(10 * 1024 * 1024, 'x');
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connected") socket->write(large.data(), large.size(), true);
    };
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 30.0));
    peer.join();
    EXPECT_EQ(recorder.reports, (Reports{"connected", "lost"}));
}

TEST_F(TcpSocketTest, DirectWritesAfterResetRaiseNoSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    int port;
    Socket listener = Socket::listenOn(&port);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.saw("connected"); }));
    reset(listener.accept());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    // The first write meets the reset, the later ones a broken pipe.
    iovec vector{const_cast<char*>("abc"), 3};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(socket.write("abc", 3, false), 0u);
        EXPECT_EQ(socket.write(&vector, 1, false), 0u);
    }
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "lost"}));
}

// Every report may delete the socket; the sanitizer build checks that
// nothing touches it afterwards.
TEST_F(TcpSocketTest, SocketMayBeDeletedInEveryReport)
{
    for (std::string name :
         {"connected", "data", "writable", "lost", "closed", "failure", "timeout"})
    {
        SCOPED_TRACE(name);
        int port;
        Socket listener = Socket::listenOn(&port);
        std::unique_ptr<FullListener> full;
        uint16_t target = static_cast<uint16_t>(port);
        if (name == "failure") target = closedPort();
        if (name == "timeout")
        {
            full = std::make_unique<FullListener>();
            target = full->port();
        }
        std::thread peer;
        if (name == "data" || name == "lost")
            peer = std::thread([&] { writeAll(listener.accept(), "hello"); });

        Recorder recorder;
        auto socket = new TcpSocket(loop(), &recorder);
        bool deleted = false;
        recorder.action = [&](TcpSocket* reporting, const std::string& report)
        {
            if (report == "connected" && name == "writable") reporting->wait();
            if (report == "connected" && name == "closed") reporting->close();
            if (report != name) return;
            EXPECT_EQ(reporting, socket);
            delete reporting;
            deleted = true;
        };
        ASSERT_TRUE(socket->connect(localhost, target, 0.3));
        ASSERT_TRUE(runUntil([&] { return deleted; }));
        runFor(0.05);
        if (peer.joinable()) peer.join();
    }
}

TEST_F(TcpSocketTest, CloseWhileConnectingIsReportedFromTheLoop)
{
    FullListener listener;
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, listener.port(), 5.0));
    EXPECT_TRUE(socket.close());
    EXPECT_TRUE(recorder.reports.empty());
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 2.0));
    EXPECT_EQ(recorder.reports, Reports{"closed"});
    EXPECT_FALSE(socket.close());
}

TEST_F(TcpSocketTest, ConnectionMovesToAnotherLoop)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    std::string received;
    std::thread peer(
        [&]
        {
            Socket connection = listener.accept();
            writeAll(connection, "ping");
            received = readAll(connection);
        });

    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.saw("connected"); }));
    EXPECT_TRUE(socket.detach());

    Kestrava::Event::ThreadLoop other;
    EXPECT_TRUE(socket.attach(&other));
    EXPECT_EQ(socket.loop(), &other);
    while (recorder.input != "ping")
        ev_run(other.loop(), EVRUN_ONCE);
    EXPECT_EQ(socket.write("pong", 4, false), 4u);
    EXPECT_TRUE(socket.close());
    while (!recorder.ended())
        ev_run(other.loop(), EVRUN_ONCE);
    peer.join();
    EXPECT_EQ(received, "pong");
    EXPECT_EQ(recorder.reports, (Reports{"connected", "closed"}));
}
