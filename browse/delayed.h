#pragma once

#include "dns/message/ip.h"

#include <cstdint>

namespace Kestrava
{
namespace Dns
{
class Hostname;
}
namespace Browse
{

class Handler;

/// A connection request that waits for room under the connection limit.
struct Delayed
{
    const Dns::Hostname* host;
    DNS::Ip ip;
    uint16_t port;
    bool https;
    Browse::Handler* handler;
    /// How long the connect may take; 0: until the connection's deadline.
    double connectTimeout;
};

} // namespace Browse
} // namespace Kestrava
