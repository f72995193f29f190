#pragma once

#include <cstdint>
#include <string>

/// Debian's nginx-light on a free loopback port, answering every request
/// with 200 and keeping connections alive for its keepalive_timeout (nginx's
/// syntax: "300s", "100ms"); stopped with the object.
class Nginx
{
public:
    explicit Nginx(const std::string& keepaliveTimeout = "300s");
    Nginx(const Nginx&) = delete;
    Nginx& operator=(const Nginx&) = delete;
    ~Nginx();

    uint16_t port() const { return _port; }

private:
    std::string _directory;
    int _pid = -1;
    uint16_t _port = 0;
};

/// A loopback port that nothing listens on right now.
uint16_t freePort();

/// A socket bound to a free loopback port, which `port` receives.
int bindLoopback(uint16_t& port);
