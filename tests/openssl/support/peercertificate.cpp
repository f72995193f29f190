#include "tests/openssl/support/peercertificate.h"

#include "openssl/connection.h"
#include "openssl/functions.h"
#include "openssl/sslcontext.h"

#include "tests/openssl/support/socket.h"
#include "tests/openssl/support/sserver.h"

#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

std::unique_ptr<Certificate> peerCertificate(const std::string& certificate, const std::string& key,
                                             const std::string& authority)
{
    SServer server({"-cert", certificate, "-key", key});
    Socket socket = Socket::connectTo(server.port());
    SslContext context(SslContext::Mode::client);
    if (!authority.empty()) context.set_CAfile(authority.c_str());
    Connection connection(context, socket.fd(), nullptr);
    if (OpenSSL::SSL_do_handshake(connection.ssl()) != 1)
        throw std::runtime_error("handshake failed: " + server.output());
    return std::make_unique<Certificate>(&connection);
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
