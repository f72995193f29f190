#pragma once

#include <openssl/bio.h>

namespace Kestrava
{
namespace OpenSSL
{

// Not named bio.h: <openssl/bio.h> must stay OpenSSL's own header.

/**
 * Owns one OpenSSL BIO and frees it, and only it: each BIO of a chain is
 * held by a Bio of its own.
 */
class Bio
{
public:
    /// A new BIO of `method`; bio() is null when OpenSSL could not make one.
    explicit Bio(const BIO_METHOD* method);

    /// Takes over a BIO made elsewhere (such as a memory buffer BIO).
    explicit Bio(BIO* bio) : _bio(bio) {}

    Bio(const Bio&) = delete;
    Bio& operator=(const Bio&) = delete;

    virtual ~Bio();

    /// The owned BIO, for the BIO forwarding functions.
    BIO* bio() const { return _bio; }

private:
    BIO* _bio;
};

} // namespace OpenSSL
} // namespace Kestrava
