#pragma once

#include "browse/base.h"
#include "browse/fixedheaders.h"
#include "browse/ipaddresses.h"
#include "browse/unreachable.h"
#include "openssl/sslcontext.h"

#include <cstdint>

namespace DNS
{
class Context;
}

namespace Kestrava
{
namespace Dns
{
class Hostname;
}
namespace Browse
{

class Handler;
class Proxy;
class Url;

/**
 * Makes the connections of a client: plain or TLS, within the connection
 * limit, never to a blocked address. Failures are reported to the handler
 * on the next loop iteration.
 */
class Connector : public Base
{
public:
    Connector(Event::Loop* loop, const DNS::Ip& local, DNS::Context& dns)
        : Base(loop, local), _dns(&dns), _unreachable(loop)
    {
    }

    /// A connection to `ip`:`port` for `host`, offered to `handler`. The
    /// connect may take `connectTimeout` seconds (0: the whole time-out).
    void http(const Dns::Hostname& host, const DNS::Ip& ip, uint16_t port, Browse::Handler* handler,
              double connectTimeout = 0.0);
    void https(const Dns::Hostname& host, const DNS::Ip& ip, uint16_t port,
               Browse::Handler* handler, double connectTimeout = 0.0);
    /// A connection to `ip` for the URL's host, port and scheme, without a
    /// queue; another scheme fails with "protocol not supported".
    void connect(const Url& url, const DNS::Ip& ip, Browse::Handler* handler);

    FixedHeaders& fixedHeaders() { return _fixed; }
    IpAddresses& blocked() { return _blocked; }
    IpAddresses& allowed() { return _allowed; }
    /// How long one connect may take while the host has another address to
    /// try; a dead address then costs this, not the request's time-out.
    double connectTimeout() const { return _connectTimeout; }
    void connectTimeout(double seconds) { _connectTimeout = seconds; }
    /// The addresses whose last connect failed.
    Unreachable& unreachable() { return _unreachable; }
    /// Connections reach their targets through `proxy` (not owned; null:
    /// directly).
    void proxy(const Proxy* proxy) { _proxy = proxy; }

protected:
    HttpConnection* open(const Delayed& request) override;

    /// Whether the URL's scheme is "http://" (any case).
    static bool isHttp(const Url& url);
    static bool isHttps(const Url& url);

    DNS::Context* _dns;

private:
    void start(const Delayed& request);

    OpenSSL::SslContext _tls{true};
    FixedHeaders _fixed;
    IpAddresses _blocked;
    IpAddresses _allowed;
    const Proxy* _proxy = nullptr;
    double _connectTimeout = 3.0;
    Unreachable _unreachable;
};

} // namespace Browse
} // namespace Kestrava
