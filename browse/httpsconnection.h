#pragma once

#include "browse/httpconnection.h"

namespace Kestrava
{
namespace OpenSSL
{
class SslContext;
}
namespace Browse
{

/**
 * A connection of a client over TLS. The server's certificate is judged
 * once the handshake is done and the outcome kept (secure()), never
 * enforced: the connection is offered whatever it is.
 */
class HttpsConnection : public HttpConnection
{
public:
    /// The TLS context must outlive the connection.
    HttpsConnection(Event::Loop* loop, const Dns::Hostname& host, const FixedHeaders& fixed,
                    const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, Timeouts timeouts,
                    const Proxy* proxy, Browse::Handler* handler, Base* registry,
                    const OpenSSL::SslContext& tls)
        : HttpConnection(loop, host, fixed, local, ip, port, timeouts, proxy, handler, registry),
          _tls(&tls)
    {
    }

    bool https() const override { return true; }
    /// A certificate valid for the host; without `strict` any valid one.
    bool secure(bool strict) const override
    {
        return _outcome == validForHost || (_outcome == valid && !strict);
    }
    const char* certificateError() const override;

    /// The certificate outcomes.
    static constexpr int handshaking = 0;
    static constexpr int invalid = 1;
    static constexpr int valid = 2;
    static constexpr int validForHost = 3;
    int outcome() const { return _outcome; }

protected:
    void established() override;
    const char* failureOfLoss() const override;
    void onSecured(Network::TcpSocket* socket) override;

private:
    const OpenSSL::SslContext* _tls;
    int _outcome = handshaking;
    /// OpenSSL's verify result, or its code for the mismatch of a valid
    /// certificate; X509_V_OK (0) until the handshake.
    long _verifyResult = 0;
};

} // namespace Browse
} // namespace Kestrava
