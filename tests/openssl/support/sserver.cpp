#include "tests/openssl/support/sserver.h"

#include <chrono>
#include <regex>
#include <stdexcept>
#include <thread>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

SServer::SServer(const std::vector<std::string>& arguments)
{
    // Port 0 lets the kernel pick a free port, which s_server then prints.
    std::vector<std::string> command = {"openssl",     "s_server", "-accept",
                                        "127.0.0.1:0", "-naccept", "1"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // An open but silent input: s_server ends its connection at the end of
    // its input.
    _process = std::make_unique<Process>(command, _scratch.path("s_server.log"), true);

    const std::regex accept("ACCEPT 127\\.0\\.0\\.1:([0-9]+)");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline)
    {
        std::smatch match;
        std::string text = output();
        if (std::regex_search(text, match, accept))
        {
            _port = std::stoi(match[1]);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("s_server did not start: " + output());
}

std::string SServer::output() const
{
    return _scratch.read("s_server.log");
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
