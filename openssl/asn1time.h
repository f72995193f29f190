#pragma once

#include <openssl/asn1.h>

#include <ctime>

namespace Kestrava
{
namespace OpenSSL
{

/**
 * A validity time of a certificate, read once at construction. Both forms
 * are UTC, whatever the time zone of the process.
 */
class Asn1Time
{
public:
    /**
     * Reads `time`, which must not be null and belongs to the certificate.
     * Throws std::invalid_argument "invalid certificate time" unless it is a
     * UTCTime "YYMMDDHHMMSSZ" or a GeneralizedTime "YYYYMMDDHHMMSSZ" of a
     * real date, the forms certificates use.
     */
    explicit Asn1Time(const ASN1_TIME* time);

    virtual ~Asn1Time() = default;

    const ASN1_TIME* asn1() const { return _time; }

    /// The broken-down time in UTC.
    const struct tm& tm() const { return _tm; }

    /// Seconds since the epoch.
    time_t time() const { return _seconds; }

private:
    const ASN1_TIME* _time;
    struct tm _tm;
    time_t _seconds;
};

} // namespace OpenSSL
} // namespace Kestrava
