#pragma once

#include "network/netaddress.h"

namespace Kestrava
{
namespace Network
{

class TcpSocket;

/// The peer of a connected socket.
class PeerAddress : public NetAddress
{
public:
    /// Throws std::runtime_error with the system's text when the socket has
    /// no peer; a peer of another family reads as 0.0.0.0 port 0.
    explicit PeerAddress(const TcpSocket& socket);
};

} // namespace Network
} // namespace Kestrava
