#pragma once

#include <cstdint>
#include <string>

namespace Testing
{

/// The scripted endpoint that namespace.sh started, and its files.
struct Endpoint
{
    /// The work directory of the namespace (certificates, DNS log).
    static std::string directory();
    /// Plain HTTP on 127.0.0.1 and ::1.
    static uint16_t plain();
    /// HTTPS with a self-signed certificate for self.test.
    static uint16_t selfSigned();
    /// HTTPS with a certificate from the test CA for secure.test and
    /// xn--bcher-kva.test.
    static uint16_t caSigned();
    /// The DNS server's log of queries so far.
    static std::string queries();

    /// Bytes as the endpoint's raw=HEX option takes them.
    static std::string hex(const std::string& bytes);
};

} // namespace Testing
