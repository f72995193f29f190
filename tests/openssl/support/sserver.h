#pragma once

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/// `openssl s_server` on a free loopback port for one connection, stopped
/// with the object.
class SServer
{
public:
    /// `arguments` follow the accept options (certificates, keys, ...).
    explicit SServer(const std::vector<std::string>& arguments);

    int port() const { return _port; }

    /// Sends octets to the client, through the server's input.
    bool send(const std::string& octets) { return _process->send(octets); }

    /// What the server printed so far.
    std::string output() const;

private:
    Scratch _scratch;
    std::unique_ptr<Process> _process;
    int _port = 0;
};

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
