#include "network/sslcontext.h"

#include "openssl/sslcontext.h"

namespace Kestrava
{
namespace Network
{

namespace
{

/// Level 1 still accepts the older servers that webhook endpoints may run.
constexpr int securityLevel = 1;

OpenSSL::SslContext* makeContext()
{
    auto context = new OpenSSL::SslContext(true);
    context->set_security_level(securityLevel);
    return context;
}

} // namespace

const OpenSSL::SslContext& sslContext()
{
    // Never destroyed, so that no TLS connection alive at exit outlives it.
    static const OpenSSL::SslContext* context = makeContext();
    return *context;
}

} // namespace Network
} // namespace Kestrava
