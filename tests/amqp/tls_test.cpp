// TLS to the private broker's TLS listener and to openssl s_server, with
// the entry points of a libssl handle given to AMQP::openssl.
#include "amqp/openssl.h"

#include "amqp/address.h"
#include "amqp/tcp/openssl.h"
#include "amqp/tcpconnection.h"
#include "tcpharness.h"
#include "tests/openssl/support/sserver.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace AMQP;
using namespace AMQPTest;
using Kestrava::OpenSSL::Test::SServer;

namespace
{

using Names = std::vector<std::string>;

class TlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Before the first lookup, once per process.
        static void* handle = openssl(dlopen("libssl.so.3", RTLD_NOW | RTLD_LOCAL));
        ASSERT_NE(handle, nullptr) << dlerror();
        _libssl = handle;
    }

    /// Where the libssl in use lives.
    static std::string libsslPath()
    {
        link_map* map = nullptr;
        dlinfo(_libssl, RTLD_DI_LINKMAP, &map);
        return map == nullptr ? "" : map->l_name;
    }

    static void* _libssl;

    void SetUp() override
    {
        ASSERT_NE(brokerTlsPort(), 0) << "no broker: KESTRAVA_BROKER_PORT_FILE is not set";
    }

    std::string tlsAddress(const std::string& host = "127.0.0.1", uint16_t port = 0)
    {
        return "amqps://plumo:plumo@" + host + ":" +
               std::to_string(port == 0 ? brokerTlsPort() : port) + "/";
    }

    /// s_server with the broker's certificate; SNI name "localhost" gets
    /// a context of its own, which s_server reports.
    std::unique_ptr<SServer> sServer()
    {
        std::string tls = brokerDirectory() + "/tls/";
        return std::make_unique<SServer>(std::vector<std::string>{
            "-cert", tls + "server.pem", "-key", tls + "server.key", "-servername", "localhost",
            "-cert2", tls + "server.pem", "-key2", tls + "server.key"});
    }

    Loop _loop;
    RecordingHandler _handler{_loop};
};

void* TlsTest::_libssl = nullptr;

} // namespace

TEST_F(TlsTest, SecureAddressReachesReadyAndCarriesALargeMessage)
{
    TcpConnection connection(&_handler, Address(tlsAddress()));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("ready") || _handler.saw("detached"); }));
    EXPECT_EQ(_handler.events(), (Names{"attached", "connected", "securing", "secured", "ready"}));
    std::string body = patternedBody(300000);
    EXPECT_TRUE(roundTrip(_loop, &connection, body) == body) << "body differs";
    _handler.events().clear();
    EXPECT_TRUE(connection.close(false));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }));
    EXPECT_EQ(_handler.events(), (Names{"closed", "lost", "detached"}));
}

TEST_F(TlsTest, RefusalInOnSecuringFailsBeforeTheHandshake)
{
    _handler._secure = false;
    TcpConnection connection(&_handler, Address(tlsAddress()));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }));
    EXPECT_EQ(_handler.events(),
              (Names{"attached", "connected", "securing",
                     "error: failed to initialize SSL structure in user space", "detached"}));
}

TEST_F(TlsTest, RejectionInOnSecuredShutsTlsDownBeforeClosing)
{
    auto server = sServer();
    _handler._accept = false;
    TcpConnection connection(&_handler, Address(tlsAddress("localhost", server->port())));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }));
    EXPECT_EQ(_handler.events(),
              (Names{"attached", "connected", "securing", "secured",
                     "error: TLS connection has been rejected", "lost", "detached"}));
    // s_server saw our close_notify, and the name we sent.
    ASSERT_TRUE(_loop.until([&] { return server->output().find("DONE") != std::string::npos; },
                            std::chrono::seconds(5)))
        << server->output();
    EXPECT_NE(server->output().find("Switching server context"), std::string::npos)
        << server->output();
}

TEST_F(TlsTest, PeerDroppingTcpWithoutCloseNotifyIsAnError)
{
    auto server = sServer();
    TcpConnection connection(&_handler, Address(tlsAddress("127.0.0.1", server->port())));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("secured"); }));
    // Once it has read our protocol header (unread octets would make the
    // kernel reset the connection instead of closing it).
    ASSERT_TRUE(_loop.until([&] { return server->output().find("AMQP") != std::string::npos; }));
    // Killed: the kernel closes the TCP connection, TLS says nothing.
    server.reset();
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }));
    ASSERT_EQ(_handler.events().size(), 7u) << ::testing::PrintToString(_handler.events());
    const std::string& error = _handler.events()[4];
    EXPECT_TRUE(error == "error: SSL_R_UNEXPECTED_EOF_WHILE_READING" ||
                error.find("unexpected eof while reading") != std::string::npos)
        << error;
    EXPECT_EQ(_handler.events()[5], "lost");
}

TEST_F(TlsTest, FrameSentAfterAReadOfSessionTicketsOnlyLeavesAtOnce)
{
    // s_server speaks TLS 1.3 and sends its session tickets after the
    // handshake: the client's next read yields no application data.
    auto server = sServer();
    TcpConnection connection(&_handler, Address(tlsAddress("127.0.0.1", server->port())));
    ASSERT_TRUE(_loop.until([&] { return server->output().find("AMQP") != std::string::npos; }));
    _loop.run(std::chrono::milliseconds(200));
    ASSERT_FALSE(_handler.saw("detached"));
    // Sent from outside a read; the peer sends nothing more.
    EXPECT_TRUE(connection.heartbeat());
    const std::string heartbeat("\x08\0\0\0\0\0\0\xce", 8);
    EXPECT_TRUE(_loop.until([&] { return server->output().find(heartbeat) != std::string::npos; },
                            std::chrono::seconds(3)));
}

TEST_F(TlsTest, GarbageFromAPeerThatHoldsItsSocketEndsTheConnection)
{
    auto server = sServer();
    size_t descriptors = openDescriptors();
    TcpConnection connection(&_handler, Address(tlsAddress("127.0.0.1", server->port())));
    ASSERT_TRUE(_loop.until([&] { return server->output().find("AMQP") != std::string::npos; }));
    // s_server keeps the connection open for as long as it runs.
    ASSERT_TRUE(server->send("HTTP/1.1 400 Bad Request\r\n\r\n"));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }, std::chrono::seconds(5)));
    EXPECT_EQ(_handler.events(), (Names{"attached", "connected", "securing", "secured",
                                        "error: frame size exceeded", "lost", "detached"}));
    EXPECT_EQ(connection.fileno(), -1);
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(TlsTest, DestroyingTheConnectionInsideItsTlsCallbacksIsSafe)
{
    size_t descriptors = openDescriptors();
    for (std::string event : {"securing", "secured"})
    {
        SCOPED_TRACE(event);
        auto server = sServer();
        std::unique_ptr<TcpConnection> connection;
        _handler._hooks.clear();
        _handler._hooks[event] = [&](TcpConnection*) { connection.reset(); };
        connection = std::make_unique<TcpConnection>(
            &_handler, Address(tlsAddress("127.0.0.1", server->port())));
        ASSERT_TRUE(_loop.until([&] { return connection == nullptr; }));
        _loop.run(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(TlsTest, ImmediateCloseInsideOnSecuringEndsBeforeTheHandshake)
{
    auto server = sServer();
    _handler._hooks["securing"] = [](TcpConnection* securing) { securing->close(true); };
    TcpConnection connection(&_handler, Address(tlsAddress("127.0.0.1", server->port())));
    ASSERT_TRUE(_loop.until([&] { return _handler.saw("detached"); }));
    _loop.run(std::chrono::milliseconds(50));
    EXPECT_TRUE(connection.closed());
    EXPECT_EQ(connection.fileno(), -1);
    EXPECT_FALSE(_handler.saw("secured"));
}

namespace
{

/// The events the probe saw in mode, with hidden covered; "skip" alone
/// when it could not hide them.
Names probe(const std::string& mode, const std::string& hidden = "")
{
    std::string command = std::string(AMQP_TLS_PROBE) + " " + mode + " " +
                          std::to_string(brokerTlsPort()) + " " + hidden;
    Names events;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char line[512];
        while (fgets(line, sizeof line, pipe) != nullptr)
            events.emplace_back(line, strcspn(line, "\n"));
        int status = pclose(pipe);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return Names{"skip"};
    }
    return events;
}

} // namespace

TEST_F(TlsTest, WithoutOpenSSLNothingIsLookedUpOrConnected)
{
    // libssl hidden from the probe, which checks that it cannot load it.
    char empty[] = "/tmp/amqp-empty-XXXXXX";
    int fd = mkstemp(empty);
    ASSERT_GE(fd, 0);
    close(fd);
    Names events = probe("none", std::string(empty) + " " + libsslPath());
    unlink(empty);
    if (events == Names{"skip"}) GTEST_SKIP() << "no mount namespaces here";
    EXPECT_EQ(events,
              (Names{"attached",
                     "error: Secure connection cannot be established: libssl.so cannot be loaded",
                     "detached", "SSL_up_ref 0"}));
}

TEST_F(TlsTest, OpenSSLInTheGlobalScopeIsFound)
{
    EXPECT_EQ(probe("global"), (Names{"attached", "connected", "securing", "secured", "ready"}));
}

TEST_F(TlsTest, LibraryLackingAnEntryPointIsRefusedWithItsName)
{
    EXPECT_EQ(probe(AMQP_PARTIAL_LIBSSL),
              (Names{"attached",
                     "error: Secure connection cannot be established: Method TLS_client_method "
                     "not found",
                     "detached", "SSL_up_ref 0"}));
}

TEST_F(TlsTest, EntryPointsTheStatesDoNotUseReachTheLibrary)
{
    namespace Ssl = AMQP::OpenSSL;
    SSL_CTX* context = Ssl::SSL_CTX_new(Ssl::TLS_client_method());
    ASSERT_NE(context, nullptr);
    SSL* ssl = Ssl::SSL_new(context);
    ASSERT_NE(ssl, nullptr);
    // A second reference: two frees.
    EXPECT_EQ(Ssl::SSL_up_ref(ssl), 1);
    Ssl::SSL_free(ssl);
    EXPECT_EQ(Ssl::SSL_get_shutdown(ssl), 0);
    const int pem = 1;
    std::string certificate = brokerDirectory() + "/tls/server.pem";
    EXPECT_EQ(Ssl::SSL_use_certificate_file(ssl, certificate.c_str(), pem), 1);
    EXPECT_EQ(Ssl::SSL_use_certificate_file(ssl, "/nonexistent.pem", pem), 0);
    Ssl::ERR_clear_error();
    Ssl::SSL_free(ssl);
    Ssl::SSL_CTX_free(context);
}
