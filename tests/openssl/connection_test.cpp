#include "openssl/connection.h"

#include "openssl/functions.h"
#include "openssl/ownedbio.h"
#include "openssl/sslcontext.h"
#include "dns/tlsarecord.h"

#include "tests/openssl/support/certificatename.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/socket.h"
#include "tests/openssl/support/sserver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace OpenSSL = Kestrava::OpenSSL;
using OpenSSL::Connection;
using OpenSSL::SslContext;
using Kestrava::Dns::TlsaRecord;
using Kestrava::Dns::TlsaRecords;
using OpenSSL::Test::Pki;
using OpenSSL::Test::Socket;
using OpenSSL::Test::SServer;

namespace
{

/// A DANE client against s_server with the leaf certificate (and the CA
/// behind it), which the client's context does not trust otherwise.
class DaneTest : public ::testing::Test
{
protected:
    DaneTest() : _server(leafServer()), _socket(Socket::connectTo(_server.port())) {}

    ~DaneTest() override { OpenSSL::ERR_clear_error(); }

    /// The s_server options that serve the leaf certificate and the CA.
    std::vector<std::string> leafServer() const
    {
        return {"-cert",       _pki.path("leaf.pem"), "-key", _pki.path("leaf.key"),
                "-cert_chain", _pki.path("ca.pem")};
    }

    /// TLSA "3 1 1": the SHA-256 of the leaf's public key.
    TlsaRecord endEntity() const { return TlsaRecord(3, 1, 1, _pki.spkiSha256("leaf.pem")); }

    /// TLSA "2 0 1": the SHA-256 of the whole CA certificate.
    TlsaRecord trustAnchor() const
    {
        std::string digest = OpenSSL::Test::openssl("x509 -in " + _pki.path("ca.pem") +
                                                    " -outform DER | openssl dgst -sha256 -binary");
        return TlsaRecord(2, 0, 1, digest);
    }

    Pki _pki;
    SServer _server;
    Socket _socket;
    SslContext _context{SslContext::Mode::clientDane};
};

std::string flipped(std::string data)
{
    data[0] = static_cast<char>(data[0] ^ 0x01);
    return data;
}

} // namespace

TEST_F(DaneTest, EndEntityRecordAuthenticatesTheServer)
{
    Connection connection(_context, _socket.fd(), {endEntity()}, "leaf.test", "leaf.test");
    EXPECT_TRUE(connection.dane());
    EXPECT_EQ(OpenSSL::SSL_do_handshake(connection.ssl()), 1);
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(connection.ssl()), X509_V_OK);
    EXPECT_EQ(OpenSSL::Test::peerCommonName(connection.ssl()), "leaf.test");
}

TEST_F(DaneTest, WrongEndEntityRecordFailsTheHandshake)
{
    TlsaRecord record = endEntity();
    Connection connection(_context, _socket.fd(), {TlsaRecord(3, 1, 1, flipped(record.data()))},
                          "leaf.test", "leaf.test");
    EXPECT_TRUE(connection.dane());
    EXPECT_NE(OpenSSL::SSL_do_handshake(connection.ssl()), 1);
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(connection.ssl()), X509_V_ERR_DANE_NO_MATCH);
}

TEST_F(DaneTest, TrustAnchorRecordAlsoChecksTheHostName)
{
    // The base domain and the host name are both accepted names.
    Connection matching(_context, _socket.fd(), {trustAnchor()}, "www.leaf.test", "other.test");
    EXPECT_EQ(OpenSSL::SSL_do_handshake(matching.ssl()), 1);
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(matching.ssl()), X509_V_OK);

    SServer other(leafServer());
    Socket socket = Socket::connectTo(other.port());
    Connection elsewhere(_context, socket.fd(), {trustAnchor()}, "another.test", "other.test");
    EXPECT_NE(OpenSSL::SSL_do_handshake(elsewhere.ssl()), 1);
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(elsewhere.ssl()), X509_V_ERR_HOSTNAME_MISMATCH);
}

TEST_F(DaneTest, CertificateAuthorityUsagesLeaveDaneOff)
{
    std::string digest = endEntity().data();
    Connection connection(_context, _socket.fd(),
                          {TlsaRecord(0, 1, 1, digest), TlsaRecord(1, 1, 1, digest)}, "leaf.test",
                          "leaf.test");
    EXPECT_FALSE(connection.dane());
    // Nothing is verified, so an unknown CA does not stop the handshake.
    EXPECT_EQ(OpenSSL::SSL_do_handshake(connection.ssl()), 1);
}

TEST_F(DaneTest, UnusableRecordIsSkipped)
{
    // A SHA-256 association of the wrong length is one OpenSSL cannot use.
    TlsaRecords records = {TlsaRecord(3, 1, 1, "short"), endEntity()};
    Connection connection(_context, _socket.fd(), records, "leaf.test", "leaf.test");
    EXPECT_TRUE(connection.dane());
    EXPECT_EQ(OpenSSL::SSL_do_handshake(connection.ssl()), 1);
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(connection.ssl()), X509_V_OK);

    Socket socket = Socket::connectTo(_server.port());
    Connection onlyUnusable(_context, socket.fd(), {TlsaRecord(3, 1, 1, "short")}, "leaf.test",
                            "leaf.test");
    EXPECT_FALSE(onlyUnusable.dane());
}

TEST_F(DaneTest, ContextWithoutDaneFailsWithOpenSSLsReason)
{
    // The reason comes from the error queue; SSL_get_error() would only have
    // said that OpenSSL failed. An error left there by an earlier call is
    // not the reason.
    SslContext plain(SslContext::Mode::client);
    char junk[] = "not a certificate";
    OpenSSL::Bio bio(OpenSSL::BIO_new_mem_buf(junk, sizeof junk - 1));
    ASSERT_EQ(OpenSSL::PEM_read_bio_X509(bio.bio(), nullptr, nullptr, nullptr), nullptr);
    try
    {
        Connection connection(plain, _socket.fd(), {endEntity()}, "leaf.test", "leaf.test");
        FAIL() << "a context without DANE was accepted";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "context not dane enabled");
    }
}

TEST(ConnectionTest, ServerAndClientConnectionsTalkToEachOther)
{
    Pki pki;
    SslContext server(pki.path("leaf-chain.pem").c_str(), pki.path("leaf.key").c_str());
    SslContext client(true);
    client.set_CAfile(pki.path("ca.pem").c_str());

    int port = 0;
    Socket listener = Socket::listenOn(&port);
    Socket clientSocket = Socket::connectTo(port);
    Socket serverSocket = listener.accept();
    Connection clientConnection(client, clientSocket.fd(), "www.leaf.test");
    Connection serverConnection(server, serverSocket.fd(), "ignored.test");

    // The server side runs on a thread of its own: both ends block.
    int serverResult = 0;
    std::string received;
    std::thread serverSide(
        [&]
        {
            serverResult = OpenSSL::SSL_do_handshake(serverConnection.ssl());
            char buffer[16] = {};
            int count = OpenSSL::SSL_read(serverConnection.ssl(), buffer, sizeof buffer);
            if (count > 0) received.assign(buffer, static_cast<size_t>(count));
        });
    int clientResult = OpenSSL::SSL_do_handshake(clientConnection.ssl());
    const std::string message = "kestrava";
    int written = OpenSSL::SSL_write(clientConnection.ssl(), message.data(),
                                     static_cast<int>(message.size()));
    serverSide.join();

    ASSERT_EQ(clientResult, 1);
    ASSERT_EQ(serverResult, 1);
    EXPECT_EQ(written, static_cast<int>(message.size()));
    EXPECT_EQ(received, message);
    EXPECT_STREQ(OpenSSL::SSL_get_servername(serverConnection.ssl(), TLSEXT_NAMETYPE_host_name),
                 "www.leaf.test");
    EXPECT_EQ(OpenSSL::SSL_get_verify_result(clientConnection.ssl()), X509_V_OK);

    EXPECT_EQ(OpenSSL::SSL_pending(serverConnection.ssl()), 0);

    const SSL_CIPHER* cipher = OpenSSL::SSL_get_current_cipher(clientConnection.ssl());
    ASSERT_NE(cipher, nullptr);
    EXPECT_STREQ(OpenSSL::SSL_CIPHER_get_version(cipher), "TLSv1.3");
    EXPECT_GT(OpenSSL::SSL_CIPHER_get_bits(cipher, nullptr), 0);
    EXPECT_NE(std::string(OpenSSL::SSL_CIPHER_get_name(cipher)).find("TLS_"), std::string::npos);
    EXPECT_NE(OpenSSL::SSL_CIPHER_get_id(cipher), 0u);
    char description[128];
    EXPECT_NE(OpenSSL::SSL_CIPHER_description(cipher, description, sizeof description), nullptr);

    OpenSSL::SSL_shutdown(clientConnection.ssl());
    char buffer[16];
    EXPECT_EQ(OpenSSL::SSL_read(serverConnection.ssl(), buffer, sizeof buffer), 0);
    EXPECT_EQ(OpenSSL::SSL_get_error(serverConnection.ssl(), 0), SSL_ERROR_ZERO_RETURN);
    EXPECT_NE(OpenSSL::SSL_get_shutdown(serverConnection.ssl()) & SSL_RECEIVED_SHUTDOWN, 0);
}
