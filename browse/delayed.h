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
};

} // namespace Browse
} // namespace Kestrava
