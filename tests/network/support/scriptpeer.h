#pragma once

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Network
{
namespace Test
{

/**
 * A peer program on a free loopback port, stopped with the object: a
 * Python script of tests/network/peers (which prints "port N" once it
 * listens) or another program given with the port it was told to use.
 */
class ScriptPeer
{
public:
    /// Runs /usr/bin/python3 with the script and its arguments.
    ScriptPeer(const std::string& script, const std::vector<std::string>& arguments);

    /// Runs `command` and waits until something listens on `port`.
    ScriptPeer(const std::vector<std::string>& command, uint16_t port);

    uint16_t port() const { return _port; }

    /// What the peer printed so far.
    std::string output() const;

    /// A file in the peer's private directory.
    std::string path(const std::string& name) const { return _scratch.path(name); }

private:
    OpenSSL::Test::Scratch _scratch;
    std::unique_ptr<OpenSSL::Test::Process> _process;
    uint16_t _port = 0;
};

} // namespace Test
} // namespace Network
} // namespace Kestrava
