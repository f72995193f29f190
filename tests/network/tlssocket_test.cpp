#include "network/tcpsocket.h"

#include "dns/message/ip.h"
#include "openssl/sslcontext.h"
#include "tests/network/support/loopfixture.h"
#include "tests/network/support/peers.h"
#include "tests/network/support/recorder.h"
#include "tests/network/support/scriptpeer.h"
#include "tests/openssl/support/certificatename.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/sserver.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <random>
#include <thread>

using namespace Kestrava;
using namespace Kestrava::Network;
using namespace Kestrava::Network::Test;
using Reports = std::vector<std::string>;

namespace
{

const DNS::Ip localhost("127.0.0.1");

std::string randomBytes(size_t size)
{
    std::mt19937 random(size);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

void shrinkSendBuffer(int fd)
{
    int size = 16384;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

class TlsSocketTest : public LoopFixture
{
protected:
    /// The TLS echo server with the leaf certificate and `arguments`.
    std::unique_ptr<ScriptPeer> echoServer(std::vector<std::string> arguments = {})
    {
        arguments.insert(arguments.begin(),
                         {"--cert", _pki.path("leaf-chain.pem"), "--key", _pki.path("leaf.key")});
        return std::make_unique<ScriptPeer>("tlsecho.py", arguments);
    }

    OpenSSL::Test::Pki _pki;
    OpenSSL::SslContext _client{true};
};

} // namespace

TEST_F(TlsSocketTest, ServerNameSelectsTheCertificate)
{
    for (std::string name : {"second.test", "leaf.test"})
    {
        OpenSSL::Test::SServer server(
            {"-cert", _pki.path("leaf.pem"), "-key", _pki.path("leaf.key"), "-servername",
             "second.test", "-cert2", _pki.path("second.pem"), "-key2", _pki.path("second.key")});
        Recorder recorder;
        TcpSocket socket(loop(), &recorder);
        std::string presented;
        recorder.action = [&](TcpSocket* socket, const std::string& report)
        {
            if (report == "connected")
            {
                EXPECT_TRUE(socket->tlsStartable());
                EXPECT_EQ(socket->ssl(), nullptr);
                EXPECT_TRUE(socket->startTls(_client, 5.0, name.c_str()));
                EXPECT_NE(socket->ssl(), nullptr);
                EXPECT_FALSE(socket->tlsStartable());
            }
            if (report == "secured")
            {
                presented = OpenSSL::Test::peerCommonName(socket->ssl());
                socket->close();
            }
        };
        ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(server.port()), 5.0));
        ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
        EXPECT_EQ(recorder.reports, (Reports{"connected", "secured", "closed"}));
        EXPECT_EQ(presented, name);
    }
}

TEST_F(TlsSocketTest, MegabyteWrittenDuringHandshakeEchoesIntact)
{
    auto echo = echoServer();
    const std::string data = randomBytes(1024 * 1024);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connected")
        {
            shrinkSendBuffer(socket->fd());
            ASSERT_TRUE(socket->startTls(_client, 5.0, "leaf.test"));
            // Queued until the handshake is done.
            EXPECT_EQ(socket->write(data.data(), data.size(), false), 0u);
            EXPECT_EQ(socket->write(data.data(), data.size(), true), data.size());
        }
        if (report == "data" && recorder.input.size() == data.size()) socket->close();
    };
    ASSERT_TRUE(socket.connect(localhost, echo->port(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 30.0));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "secured", "closed"}));
    EXPECT_EQ(recorder.input.size(), data.size());
    EXPECT_TRUE(recorder.input == data);
}

// While SSL_read waits for more, no room reserved for it may count as input.
// (The ping leaves in pieces, joined into one record.)
TEST_F(TlsSocketTest, WaitingReadLeavesNoInputBehind)
{
    auto echo = echoServer();
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        iovec pieces[3] = {{const_cast<char*>("p"), 1}, {nullptr, 0}, {const_cast<char*>("ing"), 3}};
        if (report == "connected") socket->startTls(_client, 5.0, "leaf.test");
        if (report == "secured") EXPECT_EQ(socket->write(pieces, 3, false), 4u);
    };
    ASSERT_TRUE(socket.connect(localhost, echo->port(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.input == "ping"; }));
    runFor(0.1);
    int reports = recorder.dataReports;
    socket.report();
    EXPECT_EQ(recorder.dataReports, reports);
    EXPECT_EQ(recorder.input, "ping");
}

TEST_F(TlsSocketTest, CloseDuringHandshakeShutsDownAfterIt)
{
    auto echo = echoServer();
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report != "connected") return;
        ASSERT_TRUE(socket->startTls(_client, 5.0, "leaf.test"));
        EXPECT_TRUE(socket->close());
        EXPECT_EQ(socket->write("late", 4, true), 0u);
    };
    ASSERT_TRUE(socket.connect(localhost, echo->port(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "secured", "closed"}));
}

TEST_F(TlsSocketTest, SilentPeerIsLostOneTimeoutAfterTheClientHello)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    std::chrono::steady_clock::time_point started, lost;
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connected")
        {
            started = std::chrono::steady_clock::now();
            ASSERT_TRUE(socket->startTls(_client, 1.0, "leaf.test"));
        }
        if (report == "lost") lost = std::chrono::steady_clock::now();
    };
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "lost"}));
    double elapsed = std::chrono::duration<double>(lost - started).count();
    EXPECT_NEAR(elapsed, 1.0, 0.3);
}

TEST_F(TlsSocketTest, StartWithOutputPendingFailsAndPlainGoesOn)
{
    int port;
    Socket listener = Socket::listenOn(&port);
    LateReader peer(listener);

    const std::string data = randomBytes(4 * 1024 * 1024);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report != "connected") return;
        shrinkSendBuffer(socket->fd());
        EXPECT_EQ(socket->write(data.data(), data.size(), true), data.size());
        EXPECT_FALSE(socket->tlsStartable());
        EXPECT_FALSE(socket->startTls(_client, 5.0, "leaf.test"));
        EXPECT_EQ(socket->ssl(), nullptr);
        EXPECT_EQ(socket->write("end", 3, true), 3u);
        socket->close();
        peer.start();
    };
    ASSERT_TRUE(socket.connect(localhost, static_cast<uint16_t>(port), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 30.0));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "closed"}));
    EXPECT_TRUE(peer.received() == data + "end");
}

// SIGPIPE stays at its default: a TLS write that raised it would end the
// test program.
TEST_F(TlsSocketTest, ResetDuringLargeWriteIsLostWithoutSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    auto echo = echoServer({"--reset-after", "65536"});
    const std::string data = randomBytes(10 * 1024 * 1024);
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connected")
        {
            ASSERT_TRUE(socket->startTls(_client, 5.0, "leaf.test"));
        }
        if (report == "secured") socket->write(data.data(), data.size(), true);
    };
    ASSERT_TRUE(socket.connect(localhost, echo->port(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }, 30.0));
    EXPECT_EQ(recorder.reports, (Reports{"connected", "secured", "lost"}));
}

TEST_F(TlsSocketTest, WritesAfterResetRaiseNoSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);
    auto echo = echoServer({"--reset-after", "1"});
    Recorder recorder;
    TcpSocket socket(loop(), &recorder);
    recorder.action = [&](TcpSocket* socket, const std::string& report)
    {
        if (report == "connected")
        {
            ASSERT_TRUE(socket->startTls(_client, 5.0, "leaf.test"));
        }
        if (report == "secured") socket->write("x", 1, false);
    };
    ASSERT_TRUE(socket.connect(localhost, echo->port(), 5.0));
    ASSERT_TRUE(runUntil([&] { return recorder.saw("secured"); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // The first write meets the reset, the later ones a broken pipe.
    for (int i = 0; i < 3; ++i)
        socket.write("more", 4, false);
    socket.close();
    ASSERT_TRUE(runUntil([&] { return recorder.ended(); }));
    EXPECT_TRUE(recorder.saw("lost") || recorder.saw("closed"));
}

TEST_F(TlsSocketTest, SocketMayBeDeletedInTlsReports)
{
    for (std::string name : {"secured", "data", "closed"})
    {
        SCOPED_TRACE(name);
        auto echo = echoServer();
        Recorder recorder;
        auto socket = new TcpSocket(loop(), &recorder);
        bool deleted = false;
        recorder.action = [&](TcpSocket* reporting, const std::string& report)
        {
            if (report == "connected") reporting->startTls(_client, 5.0, "leaf.test");
            if (report == "secured" && name == "data") reporting->write("ping", 4, false);
            if (report == "secured" && name == "closed") reporting->close();
            if (report != name) return;
            delete reporting;
            deleted = true;
        };
        ASSERT_TRUE(socket->connect(localhost, echo->port(), 5.0));
        ASSERT_TRUE(runUntil([&] { return deleted; }));
        runFor(0.05);
    }
}
