#include "network/peeraddress.h"

#include "network/tcpsocket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Network
{

PeerAddress::PeerAddress(const TcpSocket& socket) : NetAddress(DNS::Ip("0.0.0.0"), 0)
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(socket.fd(), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error(std::strerror(errno));
    if (address.ss_family == AF_INET6)
    {
        auto peer = reinterpret_cast<const sockaddr_in6*>(&address);
        _ip = DNS::Ip(peer->sin6_addr);
        _port = ntohs(peer->sin6_port);
    }
    else if (address.ss_family == AF_INET)
    {
        auto peer = reinterpret_cast<const sockaddr_in*>(&address);
        _ip = DNS::Ip(peer->sin_addr);
        _port = ntohs(peer->sin_port);
    }
}

} // namespace Network
} // namespace Kestrava
