#pragma once

namespace Kestrava
{
namespace Network
{

class SocksHandshake;
class SocksReply;

/**
 * The result of a SOCKS5 handshake, reported exactly once, after the
 * socket went back to its previous handler. The handler may destroy the
 * handshake inside either call.
 */
class SocksHandler
{
public:
    /// The tunnel stands; `reply` is valid for the call.
    virtual void onCompleted(SocksHandshake* handshake, const SocksReply& reply)
    {
        (void)handshake;
        (void)reply;
    }
    /// The handshake failed; the handshake tells why. When the socket ended,
    /// its previous handler hears of that right after this call.
    virtual void onFailed(SocksHandshake* handshake) { (void)handshake; }

    virtual ~SocksHandler() = default;
};

} // namespace Network
} // namespace Kestrava
