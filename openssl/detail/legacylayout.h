#pragma once

// The leading members of OpenSSL 1.0 structures that 1.1 made opaque. The
// 1.0 API has no accessor for them, so the binding reads them in place;
// only the members up to the one needed are mirrored.

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstddef>

namespace Kestrava
{
namespace OpenSSL
{
namespace Legacy
{

struct Validity
{
    ASN1_TIME* _notBefore;
    ASN1_TIME* _notAfter;
};

struct CertificateInfo
{
    ASN1_INTEGER* _version;
    ASN1_INTEGER* _serialNumber;
    void* _signature;
    X509_NAME* _issuer;
    Validity* _validity;
};

struct Certificate
{
    CertificateInfo* _info;
    void* _signatureAlgorithm;
    void* _signature;
    int _valid;
    int _references;
};

struct Key
{
    int _type;
    int _saveType;
    int _references;
};

struct Context
{
    const SSL_METHOD* _method;
    STACK_OF(SSL_CIPHER) * _ciphers;
};

/// OpenSSL 1.0's lock numbers of the objects whose counts are raised here.
constexpr int certificateLock = 3;
constexpr int keyLock = 10;

/// The size of 1.0's EVP_CIPHER_CTX, for libraries without a constructor.
constexpr size_t cipherContextSize = 168;

} // namespace Legacy
} // namespace OpenSSL
} // namespace Kestrava
