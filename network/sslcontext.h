#pragma once

namespace Kestrava
{
namespace OpenSSL
{
class SslContext;
}
namespace Network
{

/// The process-wide TLS client context (security level 1), made on first
/// use; empty when OpenSSL cannot be loaded.
const OpenSSL::SslContext& sslContext();

} // namespace Network
} // namespace Kestrava
