#pragma once

#include "browse/connection.h"

namespace Kestrava
{
namespace Browse
{

class Base;

/// A connection of a client, registered in its registry until it is gone.
class HttpConnection : public Connection
{
public:
    HttpConnection(Event::Loop* loop, const Dns::Hostname& host, const FixedHeaders& fixed,
                   const DNS::Ip& local, const DNS::Ip& ip, uint16_t port, Timeouts timeouts,
                   const Proxy* proxy, Browse::Handler* handler, Base* registry)
        : Connection(loop, host, fixed, local, ip, port, timeouts, proxy, handler),
          _registry(registry)
    {
    }
    /// Leaves the registry, which may open a waiting connection.
    ~HttpConnection() override;

    /// The registry is going away; the connection goes on by itself.
    void detach() { _registry = nullptr; }

private:
    Base* _registry;
};

} // namespace Browse
} // namespace Kestrava
