#include "tests/browse/nginx.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

bool accepting(uint16_t port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

} // namespace

int bindLoopback(uint16_t& port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no loopback port");
    port = ntohs(address.sin_port);
    return fd;
}

uint16_t freePort()
{
    uint16_t port = 0;
    close(bindLoopback(port));
    return port;
}

Nginx::Nginx(const std::string& keepaliveTimeout)
{
    char pattern[] = "/tmp/browse-nginx-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no directory for nginx");
    _directory = pattern;
    _port = freePort();
    std::ofstream(_directory + "/nginx.conf")
        << "worker_processes 1;\nmaster_process off;\ndaemon off;\n"
        << "error_log " << _directory << "/error.log;\npid " << _directory << "/nginx.pid;\n"
        << "events { worker_connections 4096; }\n"
        << "http {\n  access_log off;\n  client_body_temp_path " << _directory << ";\n"
        << "  keepalive_requests 100000000;\n  keepalive_timeout " << keepaliveTimeout << ";\n"
        << "  server {\n    listen 127.0.0.1:" << _port << ";\n"
        << "    location / { return 200 \"ok\\n\"; }\n  }\n}\n";
    _pid = fork();
    if (_pid == 0)
    {
        execl("/usr/sbin/nginx", "nginx", "-p", _directory.c_str(), "-c",
              (_directory + "/nginx.conf").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int attempt = 0; attempt < 200 && !accepting(_port); ++attempt)
        usleep(20000);
    if (!accepting(_port)) throw std::runtime_error("nginx did not start");
}

Nginx::~Nginx()
{
    if (_pid > 0)
    {
        kill(_pid, SIGTERM);
        waitpid(_pid, nullptr, 0);
    }
    std::system(("rm -rf " + _directory).c_str());
}
