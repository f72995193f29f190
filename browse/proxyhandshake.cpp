#include "browse/proxyhandshake.h"

#include "browse/proxy.h"
#include "network/httpproxyhandshake.h"
#include "network/httpproxyreply.h"
#include "network/sockshandshake.h"
#include "network/socksreply.h"

#include <exception>

namespace Kestrava
{
namespace Browse
{

namespace
{

constexpr uint8_t socksVersion = 5;

/// The reply codes of RFC 1928 section 6, from 1.
const char* const socksCodeTexts[] = {
    "general SOCKS server failure", "connection not allowed by ruleset",
    "Network unreachable",          "Host unreachable",
    "Connection refused",           "TTL expired",
    "Command not supported",        "Address type not supported",
};

const char* socksCodeText(uint8_t code)
{
    constexpr size_t known = sizeof socksCodeTexts / sizeof socksCodeTexts[0];
    if (code >= 1 && code <= known) return socksCodeTexts[code - 1];
    return "unassigned";
}

const char* failureOf(const Network::SocksHandshake& handshake)
{
    if (handshake.error() != nullptr) return handshake.error();
    if (handshake.method() == Network::SocksHandshake::noMethod)
        return "no authentication response received";
    // Any method but "none" needs an authentication we do not offer.
    if (handshake.method() != 0) return "authentication unacceptable";
    Network::SocksReply reply = handshake.reply();
    if (handshake.complete() && reply.version() == socksVersion && reply.code() != 0)
        return socksCodeText(reply.code());
    return "incomplete proxy reply";
}

const char* failureOf(const Network::HttpProxyHandshake& handshake)
{
    if (!handshake.complete()) return "incomplete reply received from server";
    if (!Network::HttpProxyReply(handshake.reply()).valid())
        return "invalid reply received from server";
    return "request failed";
}

} // namespace

ProxyHandshake::ProxyHandshake(const DNS::Ip& ip, uint16_t port, const Proxy* proxy,
                               Handler* handler)
    : _ip(ip), _port(port), _proxy(proxy), _handler(handler)
{
}

ProxyHandshake::~ProxyHandshake() = default;

bool ProxyHandshake::execute(Network::TcpSocket* socket)
{
    if (_running != nullptr) return false;
    try
    {
        if (_proxy->socks5())
            _running = std::make_unique<Network::SocksHandshake>(socket, _ip, _port, this);
        else
            _running = std::make_unique<Network::HttpProxyHandshake>(socket, _ip, _port, this);
    }
    catch (const std::exception&)
    {
        return false;
    }
    return true;
}

void ProxyHandshake::complete()
{
    _running.reset();
    _handler->onCompleted(this);
}

void ProxyHandshake::fail(const char* message)
{
    _message = message;
    _running.reset();
    _handler->onFailed(this);
}

void ProxyHandshake::onCompleted(Network::SocksHandshake*, const Network::SocksReply&)
{
    complete();
}

void ProxyHandshake::onFailed(Network::SocksHandshake* handshake)
{
    fail(failureOf(*handshake));
}

void ProxyHandshake::onCompleted(Network::HttpProxyHandshake*, const Network::HttpProxyReply&)
{
    complete();
}

void ProxyHandshake::onFailed(Network::HttpProxyHandshake* handshake)
{
    fail(failureOf(*handshake));
}

} // namespace Browse
} // namespace Kestrava
