#include "dns/hostname/hostname.h"

#include "dns/exception/exception.h"
#include "dns/exception/gaiexception.h"
#include "dns/exception/idnexception.h"
#include "dns/hostname/ipaddress.h"
#include "dns/hostname/libidn.h"
#include "dns/hostname/plainascii.h"

#include <arpa/nameser.h>
#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace Kestrava
{
namespace Dns
{

namespace
{

/// A malloc()ed text, freed unless released.
using Text = std::unique_ptr<char, decltype(&std::free)>;

Text owned(char* text)
{
    return Text(text, &std::free);
}

/// libidn's text for `code`; without libidn no text of its own exists.
IdnException idnFailure(int code)
{
    if (!LibIDN::valid()) return IdnException("libidn cannot be loaded");
    return IdnException(LibIDN::idna_strerror(code));
}

/// Whether libidn gives the name itself as its Unicode form: for a plain
/// ASCII name without ACE ("xn--") labels it does, whatever the flags, so
/// such names, the most common, need no call.
bool isOwnUnicodeForm(const char* name)
{
    for (const char* label = name;; ++label)
    {
        if (strncasecmp(label, "xn--", 4) == 0) return false;
        while (*label != '.' && *label != '\0')
            if ((static_cast<unsigned char>(*label++) & 0x80) != 0) return false;
        if (*label == '\0') return true;
    }
}

/// strdup() that keeps null and throws when out of memory.
char* duplicate(const char* text)
{
    if (text == nullptr) return nullptr;
    char* copy = strdup(text);
    if (copy == nullptr) throw std::bad_alloc();
    return copy;
}

bool sameText(const char* first, const char* second)
{
    return first == second ||
           (first != nullptr && second != nullptr && strcasecmp(first, second) == 0);
}

/// The socket address of `address`, port, flow information and scope 0.
socklen_t socketAddress(const IpAddress& address, sockaddr_storage* storage)
{
    if (address.version() == 4)
    {
        auto* ipv4 = reinterpret_cast<sockaddr_in*>(storage);
        ipv4->sin_family = AF_INET;
        ipv4->sin_addr = static_cast<const in_addr&>(address);
        return sizeof *ipv4;
    }
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(storage);
    ipv6->sin6_family = AF_INET6;
    ipv6->sin6_addr = static_cast<const in6_addr&>(address);
    return sizeof *ipv6;
}

bool isUnspecified(const IpAddress& address)
{
    if (address.version() == 4)
        return static_cast<const in_addr&>(address).s_addr == htonl(INADDR_ANY);
    return address.version() != 6 ||
           IN6_ARE_ADDR_EQUAL(&static_cast<const in6_addr&>(address), &in6addr_any);
}

} // namespace

Hostname::Hostname(const char* name, bool strict)
{
    if (name == nullptr)
    {
        if (strict) throw idnFailure(LibIDN::invalidLength);
        return;
    }
    if (!LibIDN::valid()) throw idnFailure(LibIDN::dlopenError);

    int flags = LibIDN::allowUnassigned | (strict ? LibIDN::useStd3AsciiRules : 0);
    int result = 0;
    Text unicode = owned(nullptr);
    if (isOwnUnicodeForm(name))
        unicode.reset(duplicate(name));
    else
    {
        char* converted = nullptr;
        result = LibIDN::idna_to_unicode_8z8z(name, &converted, flags);
        unicode.reset(converted);
        if (result != 0) throw idnFailure(result);
    }

    if (isPlainAscii(unicode.get()))
    {
        if (strict)
        {
            // Only a check: the Unicode form already is the ASCII form.
            char* checked = nullptr;
            result = LibIDN::idna_to_ascii_8z(name, &checked, flags);
            std::free(checked);
            if (result != 0) throw idnFailure(result);
        }
        _unicode = _ascii = unicode.release();
        return;
    }

    char* converted = nullptr;
    result = LibIDN::idna_to_ascii_8z(name, &converted, flags);
    Text ascii = owned(converted);
    if (result != 0) throw idnFailure(result);
    _unicode = unicode.release();
    _ascii = ascii.release();
}

Hostname::Hostname(const IpAddress& address)
{
    if (isUnspecified(address)) throw Exception("Invalid IP address", 7);

    sockaddr_storage storage{};
    socklen_t size = socketAddress(address, &storage);
    Text lookedUp = owned(static_cast<char*>(std::malloc(NI_MAXHOST)));
    if (lookedUp == nullptr) throw std::bad_alloc();
    int result = getnameinfo(reinterpret_cast<sockaddr*>(&storage), size, lookedUp.get(),
                             NI_MAXHOST, nullptr, 0, 0);
    if (result != 0) throw GaiException(result, nullptr);

    if (!LibIDN::valid())
    {
        _unicode = _ascii = lookedUp.release();
        return;
    }
    char* converted = nullptr;
    result = LibIDN::idna_to_unicode_8z8z(lookedUp.get(), &converted, LibIDN::allowUnassigned);
    Text unicode = owned(converted);
    if (result != 0) throw idnFailure(result);
    _unicode = unicode.release();
    _ascii = lookedUp.release();
}

Hostname::Hostname(const Hostname& other) : _unicode(duplicate(other._unicode))
{
    if (sameText(other._unicode, other._ascii))
    {
        _ascii = _unicode;
        return;
    }
    Text unicode = owned(_unicode);
    _ascii = duplicate(other._ascii);
    unicode.release();
}

Hostname::Hostname(Hostname&& other) noexcept : _unicode(other._unicode), _ascii(other._ascii)
{
    other._unicode = other._ascii = nullptr;
}

Hostname& Hostname::operator=(const Hostname& other)
{
    if (this != &other)
    {
        Hostname copy(other);
        swap(copy);
    }
    return *this;
}

Hostname& Hostname::operator=(Hostname&& other) noexcept
{
    if (this != &other)
    {
        Hostname taken(std::move(other));
        swap(taken);
    }
    return *this;
}

Hostname::~Hostname()
{
    if (_ascii != _unicode) std::free(_ascii);
    std::free(_unicode);
}

void Hostname::swap(Hostname& other) noexcept
{
    std::swap(_unicode, other._unicode);
    std::swap(_ascii, other._ascii);
}

bool Hostname::contains(const Hostname& other) const
{
    if (_ascii == nullptr || other._ascii == nullptr) return false;
        // glibc marks ns_samedomain deprecated but keeps it; it knows the
        // escapes and trailing dots of presentation-format names.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ns_samedomain(other._ascii, _ascii) == 1;
#pragma GCC diagnostic pop
}

} // namespace Dns
} // namespace Kestrava
