#include "apartserver.h"

#include "tests/browse/nginx.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <unistd.h>

namespace
{

/// Answers the requests of one connection until the client closes it.
void serve(int fd)
{
    static const char head[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n";
    std::string input;
    char block[16384];
    for (;;)
    {
        size_t end = input.find("\r\n\r\n");
        if (end != std::string::npos)
        {
            const char* length = strcasestr(input.c_str(), "\r\nContent-length:");
            size_t body = length == nullptr ? 0 : std::strtoul(length + 17, nullptr, 10);
            if (input.size() >= end + 4 + body)
            {
                input.erase(0, end + 4 + body);
                if (write(fd, head, sizeof head - 1) < 0 || write(fd, "ok", 2) < 0) break;
                continue;
            }
        }
        ssize_t got = read(fd, block, sizeof block);
        if (got <= 0) break;
        input.append(block, static_cast<size_t>(got));
    }
    close(fd);
}

} // namespace

ApartServer::ApartServer() : _listener(bindLoopback(_port))
{
    if (listen(_listener, 64) != 0) throw std::runtime_error("no listener");
    _acceptor = std::thread([this] { accept(); });
}

ApartServer::~ApartServer()
{
    shutdown(_listener, SHUT_RDWR);
    _acceptor.join();
    close(_listener);
}

void ApartServer::accept()
{
    for (;;)
    {
        int fd = ::accept(_listener, nullptr, nullptr);
        if (fd < 0) return;
        std::thread(serve, fd).detach();
    }
}
