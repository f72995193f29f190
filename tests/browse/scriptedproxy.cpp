#include "tests/browse/scriptedproxy.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>

namespace Kestrava
{
namespace Browse
{
namespace Test
{

std::string readHead(const Socket& socket)
{
    std::string head;
    while (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0)
    {
        std::string byte = Network::Test::readSome(socket, 1);
        if (byte.empty()) break;
        head += byte;
    }
    return head;
}

void writeSplit(const Socket& socket, const std::string& data, size_t at)
{
    int on = 1;
    ::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Network::Test::writeAll(socket, data.substr(0, at));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    Network::Test::writeAll(socket, data.substr(at));
}

} // namespace Test
} // namespace Browse
} // namespace Kestrava
