#include "browse/connector.h"

#include "browse/httpsconnection.h"
#include "browse/url.h"

#include <exception>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

void Connector::http(const Dns::Hostname& host, const DNS::Ip& ip, uint16_t port,
                     Browse::Handler* handler, double connectTimeout)
{
    start(Delayed{&host, ip, port, false, handler, connectTimeout});
}

void Connector::https(const Dns::Hostname& host, const DNS::Ip& ip, uint16_t port,
                      Browse::Handler* handler, double connectTimeout)
{
    start(Delayed{&host, ip, port, true, handler, connectTimeout});
}

void Connector::connect(const Url& url, const DNS::Ip& ip, Browse::Handler* handler)
{
    auto port = static_cast<uint16_t>(url.port());
    if (isHttp(url))
        http(url.hostname(), ip, port != 0 ? port : 80, handler);
    else if (isHttps(url))
        https(url.hostname(), ip, port != 0 ? port : 443, handler);
    else
        fail("protocol not supported", handler);
}

bool Connector::isHttp(const Url& url)
{
    return strncasecmp(url.text().c_str(), "http://", 7) == 0;
}

bool Connector::isHttps(const Url& url)
{
    return strncasecmp(url.text().c_str(), "https://", 8) == 0;
}

void Connector::start(const Delayed& request)
{
    if (_blocked.contains(request.ip, request.port) && !_allowed.contains(request.ip, request.port))
        return fail("IP blacklisted", request.handler);
    try
    {
        Base::request(request);
    }
    catch (const std::exception& error)
    {
        fail(error.what(), request.handler);
    }
}

HttpConnection* Connector::open(const Delayed& request)
{
    // A connect that outlasts the deadline fails with it.
    Connection::Timeouts timeouts{timeout(), request.connectTimeout > 0.0 ? request.connectTimeout
                                                                          : timeout()};
    if (request.https)
        return new HttpsConnection(_loop, *request.host, _fixed, _local, request.ip, request.port,
                                   timeouts, _proxy, request.handler, this, _tls);
    return new HttpConnection(_loop, *request.host, _fixed, _local, request.ip, request.port,
                              timeouts, _proxy, request.handler, this);
}

} // namespace Browse
} // namespace Kestrava
