#include "tests/network/support/scriptpeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <regex>
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

bool listening(uint16_t port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

/// Waits up to ten seconds for `ready`.
template <typename Ready> bool await(Ready ready)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

ScriptPeer::ScriptPeer(const std::string& script, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"/usr/bin/python3",
                                        std::string(KESTRAVA_NETWORK_PEERS) + "/" + script};
    command.insert(command.end(), arguments.begin(), arguments.end());
    _process = std::make_unique<OpenSSL::Test::Process>(command, _scratch.path("output"));
    const std::regex announced("port ([0-9]+)");
    bool ready = await(
        [&]
        {
            std::smatch match;
            std::string text = output();
            if (!std::regex_search(text, match, announced)) return false;
            _port = static_cast<uint16_t>(std::stoi(match[1]));
            return true;
        });
    if (!ready) throw std::runtime_error(script + " did not start: " + output());
}

ScriptPeer::ScriptPeer(const std::vector<std::string>& command, uint16_t port) : _port(port)
{
    _process = std::make_unique<OpenSSL::Test::Process>(command, _scratch.path("output"));
    if (!await([&] { return listening(port); }))
        throw std::runtime_error(command.front() + " did not start: " + output());
}

std::string ScriptPeer::output() const
{
    return _scratch.read("output");
}

} // namespace Test
} // namespace Network
} // namespace Kestrava
