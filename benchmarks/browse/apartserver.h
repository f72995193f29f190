#pragma once

#include <cstdint>
#include <thread>

/// A loopback server that answers every POST with 200 in two writes, head
/// then body, without TCP_NODELAY, as many small endpoints do: the body
/// leaves only once the client acknowledged the head. One thread per
/// connection; stopped with the object.
class ApartServer
{
public:
    ApartServer();
    ApartServer(const ApartServer&) = delete;
    ApartServer& operator=(const ApartServer&) = delete;
    ~ApartServer();

    uint16_t port() const { return _port; }

private:
    void accept();

    uint16_t _port = 0;
    int _listener;
    std::thread _acceptor;
};
