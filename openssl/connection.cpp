#include "openssl/connection.h"

#include "openssl/exception.h"
#include "openssl/functions.h"
#include "openssl/sslcontext.h"

#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

// The certificate usages of RFC 7218 that OpenSSL's DANE checks without a
// public CA: a trust anchor (2) and the end entity itself (3).
constexpr uint8_t daneTrustAnchor = 2;
constexpr uint8_t daneEndEntity = 3;

SSL* newConnection(SSL_CTX* context)
{
    // The reasons thrown must be this connection's, not ones left on the
    // queue by earlier calls.
    OpenSSL::ERR_clear_error();
    return OpenSSL::SSL_new(context);
}

} // namespace

// Every public constructor delegates here, so that a failure after SSL_new
// frees the SSL through the destructor.
Connection::Connection(SSL* ssl) : _ssl(ssl) {}

Connection::Connection(const SslContext& context, int fd, const char* name)
    : Connection(newConnection(context.context()))
{
    if (_ssl == nullptr) throw Exception(OpenSSL::ERR_get_error());
    if (context.client())
    {
        if (name != nullptr)
            OpenSSL::SSL_ctrl(_ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                              const_cast<char*>(name));
        OpenSSL::SSL_set_connect_state(_ssl);
    }
    else
    {
        OpenSSL::SSL_set_accept_state(_ssl);
    }
    if (OpenSSL::SSL_set_fd(_ssl, fd) == 0) throw Exception(OpenSSL::ERR_get_error());
}

Connection::Connection(const SslContext& context, int fd, const Dns::TlsaRecords& records,
                       const char* hostname, const char* basedomain)
    : Connection(context, fd, nullptr)
{
    // The error queue holds the reason; SSL_get_error() would only say that
    // the failure was OpenSSL's own.
    if (OpenSSL::SSL_dane_enable(_ssl, basedomain) < 1) throw Exception(OpenSSL::ERR_get_error());
    // A DANE-EE record pins the very key, so the name in the certificate
    // adds nothing (RFC 7671 section 5.1).
    OpenSSL::SSL_dane_set_flags(_ssl, DANE_FLAG_NO_DANE_EE_NAMECHECKS);
    if (OpenSSL::SSL_add1_host(_ssl, hostname) == 0)
        throw std::runtime_error(std::string("unable to add host ") +
                                 (hostname != nullptr ? hostname : ""));
    OpenSSL::SSL_set_hostflags(_ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);

    for (const Dns::TlsaRecord& record : records)
    {
        if (record.usage() != daneTrustAnchor && record.usage() != daneEndEntity) continue;
        int added = OpenSSL::SSL_dane_tlsa_add(
            _ssl, record.usage(), record.selector(), record.matchingType(),
            reinterpret_cast<const unsigned char*>(record.data().data()), record.data().size());
        // 0 is a record OpenSSL cannot use, which DANE says to ignore.
        if (added > 0) _dane = true;
        if (added < 0) throw Exception(OpenSSL::ERR_get_error());
    }

    OpenSSL::SSL_set_verify(_ssl, _dane ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
}

Connection::~Connection()
{
    if (_ssl != nullptr) OpenSSL::SSL_free(_ssl);
}

} // namespace OpenSSL
} // namespace Kestrava
