#include "openssl/certificate.h"

#include "openssl/connection.h"
#include "openssl/functions.h"
#include "openssl/privatekey.h"
#include "openssl/sslcontext.h"

#include "tests/openssl/support/dercertificate.h"
#include "tests/openssl/support/peercertificate.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/sharedpki.h"
#include "tests/openssl/support/socket.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace OpenSSL = Kestrava::OpenSSL;
using OpenSSL::Certificate;
using OpenSSL::Connection;
using OpenSSL::SslContext;
using OpenSSL::Test::DerCertificate;
using OpenSSL::Test::peerCertificate;
using OpenSSL::Test::SharedPkiTest;
using OpenSSL::Test::Socket;
using Testing::failureOf;

namespace
{

class CertificateTest : public SharedPkiTest
{
protected:
    static void SetUpTestSuite()
    {
        SharedPkiTest::SetUpTestSuite();
        pki().issue("bare", "/CN=bare.test", "");
        pki().issue("mixed", "/CN=mixed.test/O=Kestrava Test",
                    "subjectAltName=DNS:one.test,IP:127.0.0.1,email:someone@mixed.test,"
                    "DNS:two.test,IP:::1\n"
                    "keyUsage=critical,keyAgreement,decipherOnly\n");
        pki().selfSign("self", "/CN=self.test");
    }

    ~CertificateTest() override { OpenSSL::ERR_clear_error(); }
};

std::string privateKeyText(const std::string& path)
{
    return OpenSSL::Test::openssl("pkey -in " + path);
}

} // namespace

TEST_F(CertificateTest, FileCertificateTellsNamesUsageAndCountsAsVerified)
{
    Certificate certificate(path("leaf.pem").c_str());
    EXPECT_EQ(certificate.subject().text(), "CN=leaf.test");
    EXPECT_EQ(certificate.issuer().text(), "CN=kestrava-test-ca");
    EXPECT_EQ(certificate.verifyResult(), X509_V_OK);
    EXPECT_EQ(certificate.keyUsage(),
              static_cast<unsigned long>(KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT));
    EXPECT_TRUE(certificate.secure(0));
    EXPECT_TRUE(certificate.secure(KU_DIGITAL_SIGNATURE));
    EXPECT_TRUE(certificate.secure(KU_DIGITAL_SIGNATURE | KU_KEY_ENCIPHERMENT));
    EXPECT_FALSE(certificate.secure(KU_DIGITAL_SIGNATURE | KU_KEY_CERT_SIGN));

    OpenSSL::PrivateKey own(privateKeyText(path("leaf.key")).c_str());
    OpenSSL::PrivateKey other(privateKeyText(path("second.key")).c_str());
    EXPECT_TRUE(certificate.matches(own));
    EXPECT_FALSE(certificate.matches(other));
}

TEST_F(CertificateTest, AlternativeNamesComeLastFirstWithTheirKinds)
{
    Certificate certificate(path("mixed.pem").c_str());
    EXPECT_EQ(certificate.subject().text(), "O=Kestrava Test,CN=mixed.test");
    const auto& names = certificate.subjectAltnames();
    ASSERT_EQ(names.size(), 5u);
    // Addresses are octet strings, which have no text.
    EXPECT_EQ(names[0].type(), GEN_IPADD);
    EXPECT_EQ(names[0].value().text(), nullptr);
    EXPECT_EQ(names[0].value().length(), 0u);
    EXPECT_EQ(names[1].type(), GEN_DNS);
    EXPECT_STREQ(names[1].value().text(), "two.test");
    EXPECT_EQ(names[2].type(), GEN_EMAIL);
    EXPECT_STREQ(names[2].value().text(), "someone@mixed.test");
    EXPECT_EQ(names[3].type(), GEN_IPADD);
    EXPECT_EQ(names[3].value().text(), nullptr);
    EXPECT_EQ(names[4].type(), GEN_DNS);
    EXPECT_STREQ(names[4].value().text(), "one.test");
    // Read once and kept.
    EXPECT_EQ(&certificate.subjectAltnames(), &names);
    EXPECT_EQ(names[4].value().text(), certificate.subjectAltnames()[4].value().text());
}

TEST_F(CertificateTest, KeyUsageOfTwoBytesAndOfNone)
{
    Certificate mixed(path("mixed.pem").c_str());
    EXPECT_EQ(mixed.keyUsage(), static_cast<unsigned long>(KU_KEY_AGREEMENT | KU_DECIPHER_ONLY));
    EXPECT_TRUE(mixed.secure(KU_DECIPHER_ONLY));
    EXPECT_FALSE(mixed.secure(KU_DIGITAL_SIGNATURE));

    Certificate bare(path("bare.pem").c_str());
    EXPECT_EQ(bare.keyUsage(), 1u);
    EXPECT_TRUE(bare.secure(0));
    EXPECT_FALSE(bare.secure(KU_DIGITAL_SIGNATURE));
    EXPECT_TRUE(bare.subjectAltnames().empty());
    EXPECT_TRUE(bare.subjectAltnames().empty());
}

TEST_F(CertificateTest, KeyUsageWithNoBitSetIsNone)
{
    pki().issue("signing", "/CN=signing.test", "keyUsage=critical,digitalSignature\n");
    EXPECT_EQ(Certificate(path("signing.pem").c_str()).keyUsage(),
              static_cast<unsigned long>(KU_DIGITAL_SIGNATURE));
    // The bit string of the extension: 7 unused bits, then the one byte.
    DerCertificate der(pki().scratch(), "signing.pem");
    der.replace("\x03\x02\x07\x80", std::string("\x03\x02\x07\x00", 4));
    der.write("no-usage.pem");
    Certificate certificate(path("no-usage.pem").c_str());
    EXPECT_EQ(certificate.keyUsage(), 0u);
    EXPECT_EQ(certificate.keyUsage(), 0u);
    EXPECT_TRUE(certificate.secure(0));
    EXPECT_FALSE(certificate.secure(KU_DIGITAL_SIGNATURE));
}

TEST_F(CertificateTest, ManyAlternativeNamesAreAllRead)
{
    std::string names = "subjectAltName=DNS:host0.test";
    for (int index = 1; index < 2000; ++index)
        names += ",DNS:host" + std::to_string(index) + ".test";
    pki().issue("many", "/CN=many.test", names + "\n");
    Certificate certificate(path("many.pem").c_str());
    const auto& read = certificate.subjectAltnames();
    ASSERT_EQ(read.size(), 2000u);
    EXPECT_STREQ(read.front().value().text(), "host1999.test");
    EXPECT_STREQ(read.back().value().text(), "host0.test");
}

TEST_F(CertificateTest, EmbeddedNulIsKeptInTheLength)
{
    pki().issue("nul", "/CN=nul.test", "subjectAltName=DNS:www0nul.test\n");
    DerCertificate der(pki().scratch(), "nul.pem");
    der.replace("www0nul.test", std::string("www\0nul.test", 12));
    der.write("nul-patched.pem");
    Certificate certificate(path("nul-patched.pem").c_str());
    ASSERT_EQ(certificate.subjectAltnames().size(), 1u);
    const auto& value = certificate.subjectAltnames()[0].value();
    EXPECT_EQ(value.length(), 12u);
    EXPECT_EQ(std::strlen(value.text()), 3u);
}

TEST_F(CertificateTest, FilesThatHoldNoCertificateAreRefused)
{
    EXPECT_EQ(failureOf([&] { Certificate certificate(path("missing.pem").c_str()); }),
              "failed to load certificate");
    EXPECT_EQ(failureOf<std::invalid_argument>(
                  [&] { Certificate certificate(path("leaf.key").c_str()); }),
              "nullptr is not allowed");
    pki().scratch().write("empty.pem", "");
    EXPECT_EQ(failureOf<std::invalid_argument>(
                  [&] { Certificate certificate(path("empty.pem").c_str()); }),
              "nullptr is not allowed");
    EXPECT_EQ(failureOf<std::invalid_argument>(
                  [] { Certificate certificate(static_cast<const char*>(nullptr)); }),
              "nullptr is not allowed");
    // The failed read leaves nothing behind for the next caller.
    EXPECT_EQ(OpenSSL::ERR_get_error(), 0u);
}

TEST_F(CertificateTest, PeerCertificateOfATrustedServerIsSecure)
{
    auto certificate = peerCertificate(path("leaf-chain.pem"), path("leaf.key"), path("ca.pem"));
    EXPECT_EQ(certificate->verifyResult(), X509_V_OK);
    EXPECT_EQ(certificate->subject().text(), "CN=leaf.test");
    EXPECT_EQ(certificate->issuer().text(), "CN=kestrava-test-ca");
    EXPECT_TRUE(certificate->secure(0));
    EXPECT_TRUE(certificate->secure(KU_DIGITAL_SIGNATURE));
    EXPECT_FALSE(certificate->secure(KU_KEY_CERT_SIGN));
    ASSERT_EQ(certificate->subjectAltnames().size(), 2u);
    EXPECT_STREQ(certificate->subjectAltnames()[0].value().text(), "www.leaf.test");
}

TEST_F(CertificateTest, PeerCertificateOfAnUntrustedServerIsNotSecure)
{
    auto certificate = peerCertificate(path("self.pem"), path("self.key"), "");
    EXPECT_EQ(certificate->verifyResult(), X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT);
    EXPECT_EQ(certificate->subject().text(), "CN=self.test");
    EXPECT_FALSE(certificate->secure(0));
}

TEST_F(CertificateTest, ConnectionWithoutPeerCertificateIsRefused)
{
    int port = 0;
    Socket listener = Socket::listenOn(&port);
    Socket socket = Socket::connectTo(port);
    SslContext context(true);
    Connection connection(context, socket.fd(), "leaf.test");
    // No handshake yet, so no peer certificate.
    EXPECT_EQ(failureOf<std::invalid_argument>([&] { Certificate certificate(&connection); }),
              "nullptr is not allowed");
    EXPECT_EQ(failureOf<std::invalid_argument>(
                  [] { Certificate certificate(static_cast<const Connection*>(nullptr)); }),
              "nullptr is not allowed");
}
