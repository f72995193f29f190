// Host-name patterns from arbitrary certificate names, matched against
// arbitrary host names: "PATTERN\nHOST". Construction must succeed or throw,
// and matching must answer, never crash or throw.

#include "openssl/pattern.h"

#include "dns/hostname/hostname.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    std::string text = input.substr(0, newline);
    std::string host = newline == std::string::npos ? text : input.substr(newline + 1);

    std::unique_ptr<Kestrava::OpenSSL::Pattern> pattern;
    try
    {
        pattern = std::make_unique<Kestrava::OpenSSL::Pattern>(text.c_str());
    }
    catch (const std::exception&)
    {
        return 0;
    }
    try
    {
        Kestrava::Dns::Hostname name(host.c_str(), false);
        // Matching is noexcept in effect: an exception here ends the run.
        pattern->match(name);
    }
    catch (const std::exception&)
    {
        // Only the host name may be refused.
    }
    return 0;
}
