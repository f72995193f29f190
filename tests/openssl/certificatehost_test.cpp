// Which host names a certificate is good for, through its common name and
// its DNS alternative names.

#include "openssl/certificate.h"

#include "dns/hostname/hostname.h"

#include "tests/openssl/support/dercertificate.h"
#include "tests/openssl/support/peercertificate.h"
#include "tests/openssl/support/pki.h"

#include <gtest/gtest.h>

#include <string>

namespace OpenSSL = Kestrava::OpenSSL;
using Kestrava::Dns::Hostname;
using OpenSSL::Certificate;
using OpenSSL::Test::DerCertificate;
using OpenSSL::Test::peerCertificate;
using OpenSSL::Test::Pki;

namespace
{

class CertificateHostTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        _pki = new Pki();
        _pki->issue("web", "/CN=www.example.com",
                    "subjectAltName=DNS:www.example.com,DNS:*.shop.example.com\n"
                    "keyUsage=critical,digitalSignature\n");
        _pki->selfSign("self", "/CN=www.example.com");
        _pki->issue("second", "/CN=nomatch.example.com",
                    "subjectAltName=DNS:first.example.com,DNS:second.example.com\n");
        _pki->issue("cn", "/CN=cn.example.com", "");
        _pki->issue("typed", "/CN=other.example.com",
                    "subjectAltName=email:wwww,URI:wwww,IP:119.119.119.119\n");
        _pki->issue("plain", "/CN=other.example.com", "subjectAltName=DNS:wwww\n");
        _pki->issue("badwildcard", "/CN=*.*.example.com", "subjectAltName=DNS:good.example.com\n");
        _pki->issue("suffix", "/CN=co.uk", "subjectAltName=DNS:good.example.com\n");
        _pki->issue("wide", "/CN=*.com", "subjectAltName=DNS:*.co.uk\n");
        _pki->issue("nameless", "/O=Kestrava Test", "");
    }

    static void TearDownTestSuite()
    {
        delete _pki;
        _pki = nullptr;
    }

    static bool validFor(const std::string& certificate, const char* host)
    {
        return Certificate(_pki->path(certificate + ".pem").c_str())
            .isValidFor(Hostname(host, false));
    }

    /// `name` with the first occurrence of `text` changed into `changed`,
    /// written as "patched.pem".
    static std::string patched(const std::string& name, const std::string& text,
                               const std::string& changed)
    {
        DerCertificate der(_pki->scratch(), name + ".pem");
        der.replace(text, changed);
        der.write("patched.pem");
        return "patched";
    }

    static Pki* _pki;
};

Pki* CertificateHostTest::_pki = nullptr;

} // namespace

TEST_F(CertificateHostTest, CommonNameOrAnyDnsNameWillDo)
{
    EXPECT_TRUE(validFor("second", "second.example.com"));
    EXPECT_TRUE(validFor("second", "first.example.com"));
    EXPECT_TRUE(validFor("second", "nomatch.example.com"));
    EXPECT_FALSE(validFor("second", "third.example.com"));
    EXPECT_TRUE(validFor("cn", "CN.example.com"));
    EXPECT_FALSE(validFor("cn", "www.cn.example.com"));
    EXPECT_TRUE(validFor("web", "cart.shop.example.com"));
    EXPECT_FALSE(validFor("web", "shop.example.com"));
    EXPECT_FALSE(validFor("web", nullptr));
    EXPECT_FALSE(validFor("nameless", "example.com"));
}

TEST_F(CertificateHostTest, OnlyDnsNamesAreCompared)
{
    EXPECT_TRUE(validFor("plain", "wwww"));
    EXPECT_FALSE(validFor("typed", "wwww"));
}

TEST_F(CertificateHostTest, NamesThatMakeNoPatternAreSkipped)
{
    EXPECT_TRUE(validFor("badwildcard", "good.example.com"));
    EXPECT_FALSE(validFor("badwildcard", "a.b.example.com"));
    EXPECT_TRUE(validFor("suffix", "good.example.com"));
    EXPECT_FALSE(validFor("suffix", "co.uk"));
    EXPECT_FALSE(validFor("wide", "example.com"));
    EXPECT_FALSE(validFor("wide", "example.co.uk"));
}

TEST_F(CertificateHostTest, NamesWithAnEmbeddedNulNeverMatch)
{
    _pki->issue("nulsan", "/CN=other.example.com", "subjectAltName=DNS:wwwzexample.com\n");
    EXPECT_TRUE(validFor("nulsan", "wwwzexample.com"));
    EXPECT_FALSE(
        validFor(patched("nulsan", "wwwzexample.com", std::string("www\0example.com", 15)), "www"));

    _pki->issue("nulcn", "/CN=wwwzexample.com", "");
    EXPECT_TRUE(validFor("nulcn", "wwwzexample.com"));
    EXPECT_FALSE(
        validFor(patched("nulcn", "wwwzexample.com", std::string("www\0example.com", 15)), "www"));
}

TEST_F(CertificateHostTest, TrustedPeerIsSecureForItsHostOnly)
{
    auto certificate =
        peerCertificate(_pki->path("web.pem"), _pki->path("web.key"), _pki->path("ca.pem"));
    Hostname host("www.example.com", false);
    EXPECT_TRUE(certificate->isValidFor(host));
    EXPECT_TRUE(certificate->secure(host, 0));
    EXPECT_TRUE(certificate->secure(host, KU_DIGITAL_SIGNATURE));
    EXPECT_FALSE(certificate->secure(host, KU_KEY_ENCIPHERMENT));
    EXPECT_FALSE(certificate->secure(Hostname("mail.example.com", false), 0));
}

TEST_F(CertificateHostTest, UntrustedPeerIsNotSecureForItsHost)
{
    auto certificate = peerCertificate(_pki->path("self.pem"), _pki->path("self.key"), "");
    Hostname host("www.example.com", false);
    EXPECT_TRUE(certificate->isValidFor(host));
    EXPECT_FALSE(certificate->secure(host, 0));
}
