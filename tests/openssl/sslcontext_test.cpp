#include "openssl/sslcontext.h"

#include "openssl/connection.h"
#include "openssl/functions.h"

#include "tests/openssl/support/certificatename.h"
#include "tests/support/failure.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/socket.h"
#include "tests/openssl/support/sserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace OpenSSL = Kestrava::OpenSSL;
using OpenSSL::Connection;
using OpenSSL::SslContext;
using Testing::failureOf;
using OpenSSL::Test::Pki;
using OpenSSL::Test::Process;
using OpenSSL::Test::Socket;
using OpenSSL::Test::SServer;

namespace
{

/// The s_server options that serve the leaf certificate with its chain.
std::vector<std::string> leafServer(const Pki& pki)
{
    return {"-cert", pki.path("leaf-chain.pem"), "-key", pki.path("leaf.key")};
}

/// What a client with `context` sees of a server: the handshake's result,
/// the verify result and the certificate's name.
struct Outcome
{
    int handshake;
    long verify;
    std::string name;
};

Outcome connect(const SslContext& context, int port, const char* name)
{
    Socket socket = Socket::connectTo(port);
    Connection connection(context, socket.fd(), name);
    int handshake = OpenSSL::SSL_do_handshake(connection.ssl());
    return {handshake, OpenSSL::SSL_get_verify_result(connection.ssl()),
            OpenSSL::Test::peerCommonName(connection.ssl())};
}

/// What serving one `openssl s_client` gave: our side's handshake result,
/// the client's exit status and its output.
struct Served
{
    int handshake;
    int status;
    std::string output;
};

/// Serves one `openssl s_client` connection, started with `options`, with
/// our `context`.
Served serveClient(const SslContext& context, const Pki& pki,
                   const std::vector<std::string>& options)
{
    int port = 0;
    Socket listener = Socket::listenOn(&port);
    std::vector<std::string> command = {"openssl",  "s_client",
                                        "-connect", "127.0.0.1:" + std::to_string(port),
                                        "-CAfile",  pki.path("ca.pem")};
    command.insert(command.end(), options.begin(), options.end());
    Process client(command, pki.path("s_client.log"), true);

    Socket peer = listener.accept();
    // A server connection ignores the name: it must neither send it nor
    // take the connect state.
    Connection connection(context, peer.fd(), "ignored.test");
    Served served{OpenSSL::SSL_do_handshake(connection.ssl()), -1, ""};
    if (served.handshake == 1)
    {
        const std::string greeting = "hello from kestrava\n";
        OpenSSL::SSL_write(connection.ssl(), greeting.data(), static_cast<int>(greeting.size()));
        OpenSSL::SSL_shutdown(connection.ssl());
    }
    // The client ends by itself at our close notification or its failure;
    // its input stays open so that it does not end before reading.
    served.status = client.wait();
    served.output = pki.scratch().read("s_client.log");
    return served;
}

} // namespace

TEST(SslContextTest, RefusesVersionsOpenSSLDoesNotKnow)
{
    EXPECT_EQ(failureOf([] { SslContext context(0x7777, TLS1_3_VERSION); }),
              "invalid min version for context");
    EXPECT_EQ(failureOf([] { SslContext context(TLS1_2_VERSION, 0x7777); }),
              "invalid max version for context");
    SslContext context(TLS1_2_VERSION, TLS1_3_VERSION);
    EXPECT_NE(context.context(), nullptr);
    EXPECT_FALSE(context.client());
}

TEST(SslContextTest, ChecksWhetherKeyAndCertificateBelongTogether)
{
    Pki pki;
    SslContext matching(pki.path("leaf-chain.pem").c_str(), pki.path("leaf.key").c_str());
    EXPECT_TRUE(matching.check_private_key());
    EXPECT_FALSE(matching.client());

    SslContext mismatched(pki.path("leaf-chain.pem").c_str(), pki.path("second.key").c_str());
    EXPECT_FALSE(mismatched.check_private_key());

    SslContext withoutCertificate(false);
    EXPECT_FALSE(withoutCertificate.check_private_key());
}

TEST(SslContextTest, ClientNameSelectsTheServersSecondCertificate)
{
    Pki pki;
    const std::vector<std::string> arguments = {
        "-cert",       pki.path("leaf.pem"),  "-key",   pki.path("leaf.key"),
        "-servername", "second.test",         "-cert2", pki.path("second.pem"),
        "-key2",       pki.path("second.key")};
    SslContext context(true);
    ASSERT_TRUE(context.client());
    ASSERT_TRUE(context.set_CAfile(pki.path("ca.pem").c_str()));

    SServer named(arguments);
    Outcome second = connect(context, named.port(), "second.test");
    EXPECT_EQ(second.handshake, 1);
    EXPECT_EQ(second.verify, X509_V_OK);
    EXPECT_EQ(second.name, "second.test");

    // Without a name the client sends no server name and gets the default.
    SServer unnamed(arguments);
    Outcome first = connect(context, unnamed.port(), nullptr);
    EXPECT_EQ(first.handshake, 1) << unnamed.output();
    EXPECT_EQ(first.name, "leaf.test");
}

TEST(SslContextTest, ClientTrustsOnlyTheAuthoritiesItIsGiven)
{
    Pki pki;
    const std::vector<std::string> arguments = leafServer(pki);

    // The default paths do not hold the test CA; the peer is still not
    // refused, since verifying is left to the user of the connection.
    SslContext defaults(true);
    SServer first(arguments);
    Outcome untrusted = connect(defaults, first.port(), "leaf.test");
    EXPECT_EQ(untrusted.handshake, 1);
    EXPECT_EQ(untrusted.verify, X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);

    SslContext file(true);
    EXPECT_FALSE(file.set_CAfile(pki.path("missing.pem").c_str()));
    EXPECT_TRUE(file.set_CAfile(pki.path("ca.pem").c_str()));
    SServer second(arguments);
    EXPECT_EQ(connect(file, second.port(), "leaf.test").verify, X509_V_OK);

    // A directory is looked up by subject hash links.
    OpenSSL::Test::openssl("rehash " + pki.path(""));
    SslContext directory(true);
    EXPECT_TRUE(directory.set_CAdir(pki.path("").c_str()));
    SServer third(arguments);
    EXPECT_EQ(connect(directory, third.port(), "leaf.test").verify, X509_V_OK);
}

TEST(SslContextTest, ClientContextsTrustTheDefaultPaths)
{
    Pki pki;
    const std::vector<std::string> arguments = leafServer(pki);
    // OpenSSL's default paths name the file in this variable.
    setenv("SSL_CERT_FILE", pki.path("ca.pem").c_str(), 1);
    SslContext client(SslContext::Mode::client);
    SslContext dane(SslContext::Mode::clientDane);
    unsetenv("SSL_CERT_FILE");

    SServer first(arguments);
    EXPECT_EQ(connect(client, first.port(), "leaf.test").verify, X509_V_OK);
    SServer second(arguments);
    EXPECT_EQ(connect(dane, second.port(), "leaf.test").verify, X509_V_OK);
}

TEST(SslContextTest, SecurityLevelRulesOutWeakPeers)
{
    Pki pki;
    SslContext context(true);
    context.set_CAfile(pki.path("ca.pem").c_str());
    // Level 5 asks for 256-bit security, which the P-256 server offers
    // nowhere.
    context.set_security_level(5);
    SServer server(leafServer(pki));
    Outcome outcome = connect(context, server.port(), "leaf.test");
    EXPECT_FALSE(outcome.handshake == 1 && outcome.verify == X509_V_OK);
}

TEST(SslContextTest, CipherSettingsReportWhetherOpenSSLTookThem)
{
    SslContext context(false);
    EXPECT_TRUE(context.set_cipher_list("HIGH:!aNULL"));
    EXPECT_FALSE(context.set_cipher_list("KESTRAVA-NO-SUCH-CIPHER"));
    EXPECT_TRUE(context.set_ciphersuites("TLS_AES_256_GCM_SHA384"));
    EXPECT_FALSE(context.set_ciphersuites("KESTRAVA_NO_SUCH_SUITE"));
    OpenSSL::ERR_clear_error();
}

TEST(SslContextTest, ServerContextPassesAVerifyingClient)
{
    Pki pki;
    SslContext context(pki.path("leaf-chain.pem").c_str(), pki.path("leaf.key").c_str());
    Served served =
        serveClient(context, pki, {"-verify_return_error", "-verify_hostname", "leaf.test"});
    EXPECT_EQ(served.handshake, 1);
    EXPECT_EQ(served.status, 0) << served.output;
    EXPECT_NE(served.output.find("Verify return code: 0 (ok)"), std::string::npos) << served.output;
    EXPECT_NE(served.output.find("hello from kestrava"), std::string::npos) << served.output;
}

TEST(SslContextTest, ServerContextFailsAClientExpectingAnotherName)
{
    Pki pki;
    SslContext context(pki.path("leaf-chain.pem").c_str(), pki.path("leaf.key").c_str());
    Served served =
        serveClient(context, pki, {"-verify_return_error", "-verify_hostname", "other.test"});
    EXPECT_NE(served.handshake, 1);
    EXPECT_NE(served.status, 0) << served.output;
    OpenSSL::ERR_clear_error();
}

TEST(SslContextTest, VersionLimitedServerRefusesOtherVersions)
{
    Pki pki;
    SslContext context(TLS1_2_VERSION, TLS1_2_VERSION);
    OpenSSL::SSL_CTX_use_certificate_chain_file(context.context(),
                                                pki.path("leaf-chain.pem").c_str());
    OpenSSL::SSL_CTX_use_PrivateKey_file(context.context(), pki.path("leaf.key").c_str(),
                                         SSL_FILETYPE_PEM);

    Served served = serveClient(context, pki, {});
    EXPECT_EQ(served.handshake, 1);
    EXPECT_NE(served.output.find("TLSv1.2"), std::string::npos) << served.output;

    served = serveClient(context, pki, {"-tls1_3"});
    EXPECT_NE(served.handshake, 1);
    EXPECT_NE(served.status, 0) << served.output;
    OpenSSL::ERR_clear_error();
}
