// Which host names a certificate is good for, through its common name and
// its DNS alternative names, and which addresses through its IP ones.

#include "openssl/certificate.h"

#include "dns/hostname/hostname.h"

#include "tests/openssl/support/dercertificate.h"
#include "tests/openssl/support/peercertificate.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/sharedpki.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace OpenSSL = Kestrava::OpenSSL;
using Kestrava::Dns::Hostname;
using OpenSSL::Certificate;
using OpenSSL::Test::DerCertificate;
using OpenSSL::Test::peerCertificate;
using OpenSSL::Test::SharedPkiTest;

namespace
{

class CertificateHostTest : public SharedPkiTest
{
protected:
    static void SetUpTestSuite()
    {
        SharedPkiTest::SetUpTestSuite();
        pki().issue("web", "/CN=www.example.com",
                    "subjectAltName=DNS:www.example.com,DNS:*.shop.example.com\n"
                    "keyUsage=critical,digitalSignature\n");
        pki().selfSign("self", "/CN=www.example.com");
        pki().issue("second", "/CN=nomatch.example.com",
                    "subjectAltName=DNS:first.example.com,DNS:second.example.com\n");
        pki().issue("cn", "/CN=cn.example.com", "");
        pki().issue("typed", "/CN=other.example.com",
                    "subjectAltName=email:wwww,URI:wwww,IP:119.119.119.119\n");
        pki().issue("plain", "/CN=other.example.com", "subjectAltName=DNS:wwww\n");
        pki().issue("badwildcard", "/CN=*.*.example.com", "subjectAltName=DNS:good.example.com\n");
        pki().issue("suffix", "/CN=co.uk", "subjectAltName=DNS:good.example.com\n");
        pki().issue("wide", "/CN=*.com", "subjectAltName=DNS:*.co.uk\n");
        pki().issue("nameless", "/O=Kestrava Test", "");
        pki().issue("empty", "/", "subjectAltName=DNS:good.example.com\n");
        pki().issue("address", "/CN=192.0.2.1",
                    "subjectAltName=DNS:192.0.2.1,IP:2001:db8::1,IP:198.51.100.7\n");
    }

    static bool validFor(const std::string& certificate, const char* host)
    {
        return Certificate(path(certificate + ".pem").c_str()).isValidFor(Hostname(host, false));
    }

    /// `name` with the first occurrence of `text` changed into `changed`,
    /// written as "patched.pem".
    static std::string patched(const std::string& name, const std::string& text,
                               const std::string& changed)
    {
        DerCertificate der(pki().scratch(), name + ".pem");
        der.replace(text, changed);
        der.write("patched.pem");
        return "patched";
    }
};

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

TEST_F(CertificateHostTest, EmptySubjectLeavesTheDnsNames)
{
    EXPECT_EQ(Certificate(path("empty.pem").c_str()).subject().text(), "");
    EXPECT_TRUE(validFor("empty", "good.example.com"));
    EXPECT_FALSE(validFor("empty", "example.com"));
}

TEST_F(CertificateHostTest, OnlyDnsNamesAreCompared)
{
    EXPECT_TRUE(validFor("plain", "wwww"));
    EXPECT_FALSE(validFor("typed", "wwww"));
}

TEST_F(CertificateHostTest, AddressesMatchAddressNamesOnly)
{
    // Neither the common name nor a DNS name names an address.
    for (auto [certificate, host, named] :
         {std::tuple{"address", "198.51.100.7", true}, std::tuple{"address", "[2001:db8::1]", true},
          std::tuple{"typed", "119.119.119.119", true},
          std::tuple{"address", "[2001:db8::2]", false},
          std::tuple{"address", "198.51.100.8", false}, std::tuple{"address", "192.0.2.1", false}})
        EXPECT_EQ(named, validFor(certificate, host)) << certificate << " " << host;
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
    pki().issue("nulsan", "/CN=other.example.com", "subjectAltName=DNS:wwwzexample.com\n");
    EXPECT_TRUE(validFor("nulsan", "wwwzexample.com"));
    EXPECT_FALSE(
        validFor(patched("nulsan", "wwwzexample.com", std::string("www\0example.com", 15)), "www"));

    pki().issue("nulcn", "/CN=wwwzexample.com", "");
    EXPECT_TRUE(validFor("nulcn", "wwwzexample.com"));
    EXPECT_FALSE(
        validFor(patched("nulcn", "wwwzexample.com", std::string("www\0example.com", 15)), "www"));
}

TEST_F(CertificateHostTest, TrustedPeerIsSecureForItsHostOnly)
{
    auto certificate = peerCertificate(path("web.pem"), path("web.key"), path("ca.pem"));
    Hostname host("www.example.com", false);
    EXPECT_TRUE(certificate->isValidFor(host));
    EXPECT_TRUE(certificate->secure(host, 0));
    EXPECT_TRUE(certificate->secure(host, KU_DIGITAL_SIGNATURE));
    EXPECT_FALSE(certificate->secure(host, KU_KEY_ENCIPHERMENT));
    EXPECT_FALSE(certificate->secure(Hostname("mail.example.com", false), 0));
}

TEST_F(CertificateHostTest, UntrustedPeerIsNotSecureForItsHost)
{
    auto certificate = peerCertificate(path("self.pem"), path("self.key"), "");
    Hostname host("www.example.com", false);
    EXPECT_TRUE(certificate->isValidFor(host));
    EXPECT_FALSE(certificate->secure(host, 0));
}
