#pragma once

#include "browse/proxy.h"
#include "tests/network/support/peers.h"

#include <functional>
#include <string>
#include <thread>

namespace Kestrava
{
namespace Browse
{
namespace Test
{

using Network::Test::Socket;

/// A proxy played by a test thread: it accepts one connection on loopback
/// and runs `script` on it.
class ScriptedProxy
{
public:
    explicit ScriptedProxy(std::function<void(const Socket&)> script)
        : _listener(Socket::listenOn(&_port)),
          _thread([this, script] { script(_listener.accept()); })
    {
    }

    ~ScriptedProxy() { _thread.join(); }

    Proxy socks5() const { return Proxy(DNS::Ip("127.0.0.1"), static_cast<uint16_t>(_port), true); }
    Proxy http() const { return Proxy(DNS::Ip("127.0.0.1"), static_cast<uint16_t>(_port), false); }

private:
    int _port = 0;
    Socket _listener;
    std::thread _thread;
};

/// Text from byte values.
inline std::string bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int value : values)
        text += static_cast<char>(value);
    return text;
}

/// Reads up to and including the first empty line.
std::string readHead(const Socket& socket);

/// Writes `data` in two pieces split at `at`, far enough apart in time to
/// arrive in two reads.
void writeSplit(const Socket& socket, const std::string& data, size_t at);

} // namespace Test
} // namespace Browse
} // namespace Kestrava
