#include "browse/httpsconnection.h"

#include "dns/hostname/hostname.h"
#include "openssl/certificate.h"
#include "openssl/functions.h"

#include <exception>

#include <arpa/inet.h>

namespace Kestrava
{
namespace Browse
{

namespace
{
const char* const handshakeFailure = "Failed during ssl handshake";

/// The server name to send: the ASCII host, none for an IP literal
/// (RFC 6066 section 3).
const char* serverName(const Dns::Hostname& host)
{
    const char* name = host.ascii();
    in_addr ipv4{};
    if (name == nullptr || name[0] == '[' || inet_pton(AF_INET, name, &ipv4) == 1) return nullptr;
    return name;
}
} // namespace

void HttpsConnection::established()
{
    if (!_socket.startTls(*_tls, remaining(), serverName(host()))) fail(handshakeFailure);
}

const char* HttpsConnection::failureOfLoss() const
{
    return _outcome == handshaking ? handshakeFailure : nullptr;
}

const char* HttpsConnection::certificateError() const
{
    if (_outcome == handshaking || _outcome == validForHost) return nullptr;
    return OpenSSL::X509_verify_cert_error_string(_verifyResult);
}

void HttpsConnection::onSecured(Network::TcpSocket*)
{
    // Any failure to read the certificate (none sent, an entry point the
    // library lacks) leaves it unusable, never an exception out of here.
    try
    {
        OpenSSL::Certificate certificate(_socket.ssl());
        _outcome = certificate.secure(host(), 0) ? validForHost
                   : certificate.secure(0)       ? valid
                                                 : invalid;
        // A chain that verifies for another name has a code of its own.
        _verifyResult = _outcome != valid               ? certificate.verifyResult()
                        : serverName(host()) != nullptr ? X509_V_ERR_HOSTNAME_MISMATCH
                                                        : X509_V_ERR_IP_ADDRESS_MISMATCH;
    }
    catch (const std::exception&)
    {
        _outcome = invalid;
        _verifyResult = X509_V_ERR_UNSPECIFIED;
    }
    _reader.secure(secure(true));
    offer();
}

} // namespace Browse
} // namespace Kestrava
