// A test program that reports, one "key=value" line each, what the host
// names find of libidn. Started by the loading tests, which need a process
// that hides some libidn files from itself before it first looks for them.
//
// Usage: dns_idn_probe [EMPTY-FILE PATH-TO-HIDE...]
// Exit status 77 when the process may not make a mount namespace.

#include "dns/exception/idnexception.h"
#include "dns/hostname/hostname.h"
#include "dns/hostname/ipaddress.h"
#include "dns/hostname/libidn.h"
#include "dns/suffix/organization.h"

#include "tests/support/hiddenfiles.h"

#include <iostream>
#include <string>

namespace
{

using Kestrava::Dns::Hostname;
using Kestrava::Dns::IdnException;

/// Both forms of what `make` builds, or the IdnException it throws.
template <typename Make> std::string formsOf(Make make)
{
    try
    {
        Hostname hostname = make();
        return std::string(hostname.unicode()) + " " + hostname.ascii();
    }
    catch (const IdnException& error)
    {
        return std::string("IdnException ") + error.what();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        int status = Testing::hideFiles(argv[1], argv + 2, argc - 2);
        if (status != 0) return status;
    }

    using Kestrava::Dns::LibIDN;
    std::cout << "valid=" << LibIDN::valid() << "\n";
    const char* name = LibIDN::library().shared()->name();
    std::cout << "name=" << (LibIDN::valid() ? name : "(none)") << "\n";
    std::cout << "idn=" << formsOf([] { return Hostname("bücher.example", false); }) << "\n";
    std::cout << "plain=" << formsOf([] { return Hostname("www.example.com", true); }) << "\n";
    std::cout << "null=" << formsOf([] { return Hostname(nullptr, true); }) << "\n";
    std::cout << "address="
              << formsOf([] { return Hostname(Kestrava::Dns::IpAddress("127.0.0.1")); }) << "\n";
    std::cout << "organization="
              << formsOf([] { return Kestrava::Dns::Organization("www.example.co.uk"); }) << "\n";
    return 0;
}
