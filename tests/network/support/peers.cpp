#include "tests/network/support/peers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace Kestrava
{
namespace Network
{
namespace Test
{

namespace
{

sockaddr_in loopback(uint16_t port, const char* ip = "127.0.0.1")
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, ip, &address.sin_addr);
    return address;
}

} // namespace

std::string readAll(const Socket& socket)
{
    std::string data;
    char chunk[65536];
    ssize_t count;
    while ((count = ::read(socket.fd(), chunk, sizeof chunk)) > 0)
        data.append(chunk, static_cast<size_t>(count));
    return data;
}

std::string readSome(const Socket& socket, size_t size)
{
    std::string data;
    char chunk[65536];
    while (data.size() < size)
    {
        ssize_t count = ::read(socket.fd(), chunk, std::min(sizeof chunk, size - data.size()));
        if (count <= 0) break;
        data.append(chunk, static_cast<size_t>(count));
    }
    return data;
}

void writeAll(const Socket& socket, const std::string& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        ssize_t count = ::send(socket.fd(), data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (count <= 0) throw std::runtime_error("peer write failed");
        done += static_cast<size_t>(count);
    }
}

void reset(Socket socket)
{
    linger abort{1, 0};
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

FullListener::FullListener(const char* ip, uint16_t port)
    : _fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    sockaddr_in address = loopback(port, ip);
    socklen_t size = sizeof address;
    // Backlog 0: one completed connection fills the queue.
    if (::bind(_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(_fd, 0) != 0 ||
        ::getsockname(_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on the loopback address");
    _port = ntohs(address.sin_port);
    for (int& client : _clients)
    {
        client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

FullListener::~FullListener()
{
    for (int client : _clients)
        ::close(client);
    ::close(_fd);
}

LateReader::LateReader(const Socket& listener)
    : _thread(
          [this, &listener]
          {
              Socket connection = listener.accept();
              while (!_reading)
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              _received = readAll(connection);
          })
{
}

LateReader::~LateReader()
{
    start();
    if (_thread.joinable()) _thread.join();
}

std::string LateReader::received()
{
    start();
    if (_thread.joinable()) _thread.join();
    return _received;
}

uint16_t closedPort()
{
    int port;
    Socket::listenOn(&port);
    return static_cast<uint16_t>(port);
}

} // namespace Test
} // namespace Network
} // namespace Kestrava
