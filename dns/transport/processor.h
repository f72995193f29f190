#pragma once

namespace DNS
{

class Ip;
class Response;

/// What a socket tells the lookup that subscribed to it. Each result is true
/// when the lookup has finished (reported to its handler). Called from the
/// Core's delivery; the callee may destroy the Core.
class Processor
{
public:
    /// A message from the server, under the lookup's query id; the response
    /// is valid only during the call.
    virtual bool onReceived(const Ip& server, const Response& response) = 0;
    /// The TCP connection to the server broke with the answer outstanding.
    virtual bool onLost(const Ip& server) = 0;
    /// The server's port refused a datagram (ICMP port unreachable): no
    /// answer will come from it.
    virtual bool onRefused(const Ip& server) = 0;

protected:
    virtual ~Processor() = default;
};

} // namespace DNS
