// Feeds arbitrary bytes as a host name to Hostname, PublicSuffixes and
// Organization: failures must be the documented exceptions, and what they
// answer must point into the name.
#include "dns/exception/idnexception.h"
#include "dns/hostname/hostname.h"
#include "dns/hostname/libidn.h"
#include "dns/suffix/organization.h"
#include "dns/suffix/publicsuffixes.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

using Kestrava::Dns::Hostname;

void require(bool condition)
{
    if (!condition) std::abort();
}

/// A tail starts inside the name (or at its end) and, when it follows
/// something, follows a '.'.
void requireTail(const std::string& name, const char* tail)
{
    if (tail == nullptr) return;
    require(tail >= name.c_str() && tail <= name.c_str() + name.size());
    require(tail == name.c_str() || tail[-1] == '.');
}

void checkSuffixes(const std::string& name)
{
    const auto& suffixes = Kestrava::Dns::PublicSuffixes::instance();
    const char* suffix = suffixes.suffix(name.c_str());
    const char* organization = suffixes.organization(name.c_str());
    requireTail(name, suffix);
    requireTail(name, organization);
    if (organization != nullptr) require(suffix != nullptr && organization < suffix);
    if (suffixes.match(name.c_str()) != nullptr) require(suffix != nullptr);
}

/// libidn's own Unicode form of the name, empty when it refuses it.
std::string libidnUnicode(const std::string& name, bool strict)
{
    using Kestrava::Dns::LibIDN;
    char* unicode = nullptr;
    int flags = LibIDN::allowUnassigned | (strict ? LibIDN::useStd3AsciiRules : 0);
    int result = LibIDN::idna_to_unicode_8z8z(name.c_str(), &unicode, flags);
    std::string text = result == 0 ? unicode : "";
    std::free(unicode);
    return text;
}

void checkHostname(const std::string& name, bool strict)
{
    try
    {
        Hostname hostname(name.c_str(), strict);
        require(hostname.unicode() != nullptr && hostname.ascii() != nullptr);
        // Names that skip libidn get the form it would have given.
        require(hostname.unicode() == libidnUnicode(name, strict));
        Hostname copy(hostname);
        require(std::strcmp(copy.ascii(), hostname.ascii()) == 0);
        (void)hostname.contains(copy);
    }
    catch (const Kestrava::Dns::IdnException&)
    {
    }
}

void checkOrganization(const std::string& name)
{
    try
    {
        Kestrava::Dns::Organization organization(name.c_str());
        require(organization.ascii() != nullptr);
    }
    catch (const std::runtime_error&)
    {
        // "No organization found", or an IdnException of the host name.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A C string ends at its first NUL.
    std::string name(reinterpret_cast<const char*>(data), size);
    name.resize(std::strlen(name.c_str()));
    checkSuffixes(name);
    checkHostname(name, false);
    checkHostname(name, true);
    checkOrganization(name);
    return 0;
}
