#pragma once

#include "tests/openssl/support/socket.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace Kestrava
{
namespace Network
{
namespace Test
{

using OpenSSL::Test::Socket;

/// Reads from a blocking socket until the end of the stream (or an error).
std::string readAll(const Socket& socket);

/// Reads exactly `size` bytes, fewer when the stream ends first.
std::string readSome(const Socket& socket, size_t size);

void writeAll(const Socket& socket, const std::string& data);

/// Closes with a reset instead of an orderly close.
void reset(Socket socket);

/**
 * A loopback listener whose accept queue is full, so that the kernel drops
 * further SYNs and a connect to it is never answered. On a free port of
 * 127.0.0.1 unless told otherwise.
 */
class FullListener
{
public:
    explicit FullListener(const char* ip = "127.0.0.1", uint16_t port = 0);
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
    ~FullListener();

    uint16_t port() const { return _port; }

private:
    int _fd;
    int _clients[4];
    uint16_t _port;
};

/**
 * A peer that accepts one connection at once but reads it only once told
 * to, so that the client's output queues up meanwhile.
 */
class LateReader
{
public:
    explicit LateReader(const Socket& listener);
    LateReader(const LateReader&) = delete;
    LateReader& operator=(const LateReader&) = delete;
    ~LateReader();

    void start() { _reading = true; }

    /// Everything read until the client ended the connection.
    std::string received();

private:
    std::atomic<bool> _reading{false};
    std::string _received;
    std::thread _thread;
};

/// A loopback port on which nothing listens.
uint16_t closedPort();

} // namespace Test
} // namespace Network
} // namespace Kestrava
