#pragma once

namespace Kestrava
{
namespace Network
{

class HttpProxyHandshake;
class HttpProxyReply;

/**
 * The result of an HTTP CONNECT handshake, reported exactly once, after
 * the socket went back to its previous handler. The handler may destroy
 * the handshake inside either call.
 */
class HttpProxyHandler
{
public:
    /// The tunnel stands; `reply` is valid for the call.
    virtual void onCompleted(HttpProxyHandshake* handshake, const HttpProxyReply& reply)
    {
        (void)handshake;
        (void)reply;
    }
    /// The proxy refused or the reply was broken; the handshake tells what
    /// arrived. When the socket ended, its previous handler hears of that
    /// right after this call.
    virtual void onFailed(HttpProxyHandshake* handshake) { (void)handshake; }

    virtual ~HttpProxyHandler() = default;
};

} // namespace Network
} // namespace Kestrava
