#include "openssl/certificate.h"

#include "tests/openssl/support/dercertificate.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/sharedpki.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace OpenSSL = Kestrava::OpenSSL;
using OpenSSL::Certificate;
using OpenSSL::Test::DerCertificate;
using OpenSSL::Test::SharedPkiTest;
using Testing::failureOf;

namespace
{

class CertificateTimeTest : public SharedPkiTest
{
protected:
    /// The leaf certificate with `notBefore` as the text of its start time.
    static std::string withStart(const std::string& notBefore)
    {
        DerCertificate der(pki().scratch(), "leaf.pem");
        der.setUtcTime(0, notBefore);
        der.write("patched.pem");
        return path("patched.pem");
    }

    /// The failure of reading the leaf certificate with `notBefore`.
    static std::string failureWithStart(const std::string& notBefore)
    {
        std::string patched = withStart(notBefore);
        return failureOf<std::invalid_argument>([&] { Certificate certificate(patched.c_str()); });
    }
};

/// The time that the command line prints for `which` ("startdate" or
/// "enddate") of a certificate file.
time_t commandLineTime(const std::string& path, const std::string& which)
{
    std::string text = OpenSSL::Test::openssl("x509 -noout -" + which + " -in " + path);
    struct tm broken = {};
    if (strptime(text.substr(text.find('=') + 1).c_str(), "%b %d %H:%M:%S %Y GMT", &broken) ==
        nullptr)
        throw std::runtime_error("cannot read " + text);
    return timegm(&broken);
}

time_t utc(int year, int month, int day, int hour, int minute, int second)
{
    struct tm broken = {};
    broken.tm_year = year - 1900;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_sec = second;
    return timegm(&broken);
}

/// Runs the test body in the zone `zone`, the process's own restored after.
class TimeZone
{
public:
    explicit TimeZone(const char* zone)
    {
        const char* previous = std::getenv("TZ");
        _hadPrevious = previous != nullptr;
        if (_hadPrevious) _previous = previous;
        setenv("TZ", zone, 1);
        tzset();
    }

    ~TimeZone()
    {
        if (_hadPrevious)
            setenv("TZ", _previous.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool _hadPrevious;
    std::string _previous;
};

} // namespace

TEST_F(CertificateTimeTest, ValidityAgreesWithTheCommandLine)
{
    std::string file = path("leaf.pem");
    Certificate certificate(file.c_str());
    EXPECT_EQ(certificate.notBefore().time(), commandLineTime(file, "startdate"));
    EXPECT_EQ(certificate.notAfter().time(), commandLineTime(file, "enddate"));
    EXPECT_EQ(certificate.notAfter().time() - certificate.notBefore().time(), 2 * 24 * 3600);
    time_t start = certificate.notBefore().time();
    struct tm expected;
    gmtime_r(&start, &expected);
    const struct tm& broken = certificate.notBefore().tm();
    EXPECT_EQ(broken.tm_year, expected.tm_year);
    EXPECT_EQ(broken.tm_mon, expected.tm_mon);
    EXPECT_EQ(broken.tm_mday, expected.tm_mday);
    EXPECT_EQ(broken.tm_hour, expected.tm_hour);
    EXPECT_EQ(broken.tm_min, expected.tm_min);
    EXPECT_EQ(broken.tm_sec, expected.tm_sec);
}

TEST_F(CertificateTimeTest, TimesAreUtcInEveryZone)
{
    std::string file = path("leaf.pem");
    time_t inUtc = Certificate(file.c_str()).notBefore().time();
    TimeZone east("UTC-09");
    EXPECT_EQ(Certificate(file.c_str()).notBefore().time(), inUtc);
    TimeZone west("UTC+05");
    EXPECT_EQ(Certificate(file.c_str()).notBefore().time(), inUtc);
}

TEST_F(CertificateTimeTest, TwoDigitYearsFollowRfc5280)
{
    Certificate from1950(withStart("500101000000Z").c_str());
    EXPECT_EQ(from1950.notBefore().time(), utc(1950, 1, 1, 0, 0, 0));
    Certificate from1969(withStart("691231235959Z").c_str());
    EXPECT_EQ(from1969.notBefore().time(), utc(1969, 12, 31, 23, 59, 59));
    EXPECT_EQ(from1969.notBefore().tm().tm_year, 69);
    Certificate from1970(withStart("700101000000Z").c_str());
    EXPECT_EQ(from1970.notBefore().time(), 0);
    Certificate from2049(withStart("491231235959Z").c_str());
    EXPECT_EQ(from2049.notBefore().time(), utc(2049, 12, 31, 23, 59, 59));
    Certificate leapDay(withStart("240229120000Z").c_str());
    EXPECT_EQ(leapDay.notBefore().time(), utc(2024, 2, 29, 12, 0, 0));
}

TEST_F(CertificateTimeTest, FourDigitYearsOfGeneralizedTime)
{
    // From 2050 on, certificates must carry a GeneralizedTime.
    pki().issue("long", "/CN=long.test", "", 12000);
    std::string file = path("long.pem");
    Certificate certificate(file.c_str());
    EXPECT_EQ(certificate.notAfter().time(), commandLineTime(file, "enddate"));
    EXPECT_GE(certificate.notAfter().tm().tm_year + 1900, 2058);
}

TEST_F(CertificateTimeTest, MalformedTimesFailTheCertificate)
{
    const std::string refused = "invalid certificate time";
    EXPECT_EQ(failureWithStart("26120712000AZ"), refused);
    EXPECT_EQ(failureWithStart("2612071200 0Z"), refused);
    EXPECT_EQ(failureWithStart("261307120000Z"), refused);
    EXPECT_EQ(failureWithStart("261200120000Z"), refused);
    EXPECT_EQ(failureWithStart("250229120000Z"), refused);
    EXPECT_EQ(failureWithStart("261131120000Z"), refused);
    EXPECT_EQ(failureWithStart("261207240000Z"), refused);
    EXPECT_EQ(failureWithStart("261207126000Z"), refused);
    EXPECT_EQ(failureWithStart("261207120060Z"), refused);
    EXPECT_EQ(failureWithStart("2612071200000"), refused);
}
