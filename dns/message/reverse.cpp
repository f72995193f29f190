#include "dns/message/reverse.h"

#include "dns/message/ip.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <strings.h>

namespace DNS
{

namespace
{

const char ipv4Suffix[] = ".in-addr.arpa";
const char ipv6Suffix[] = ".ip6.arpa";

bool endsWith(const char* name, size_t length, const char* suffix)
{
    size_t size = strlen(suffix);
    return length >= size && strcasecmp(name + length - size, suffix) == 0;
}

} // namespace

Reverse::Reverse(const Ip& ip)
{
    const unsigned char* bytes = ip.data();
    if (ip.version() == 4)
    {
        snprintf(_buffer, sizeof _buffer, "%u.%u.%u.%u%s", bytes[3], bytes[2], bytes[1], bytes[0],
                 ipv4Suffix);
        return;
    }
    static const char hex[] = "0123456789abcdef";
    char* out = _buffer;
    for (int i = 15; i >= 0; --i)
    {
        *out++ = hex[bytes[i] & 0x0f];
        *out++ = '.';
        *out++ = hex[bytes[i] >> 4];
        *out++ = '.';
    }
    // The last nibble's dot is the suffix's own leading dot.
    strcpy(out - 1, ipv6Suffix);
}

Reverse::Reverse(const char* name)
{
    size_t length = strlen(name);
    if (length >= sizeof _buffer)
        throw std::runtime_error("address is too long to contain an IPv4 address");
    memcpy(_buffer, name, length + 1);
    if (version() == 0) throw std::runtime_error("address is not in reverse notation");
}

size_t Reverse::size() const
{
    return strlen(_buffer);
}

int Reverse::version() const
{
    size_t length = size();
    if (endsWith(_buffer, length, ipv4Suffix)) return 4;
    if (endsWith(_buffer, length, ipv6Suffix)) return 6;
    return 0;
}

Ip Reverse::ip() const
{
    if (version() == 4)
    {
        unsigned bytes[4];
        if (sscanf(_buffer, "%u.%u.%u.%u", &bytes[0], &bytes[1], &bytes[2], &bytes[3]) != 4)
            throw std::runtime_error("address is not in reverse notation");
        in_addr address;
        unsigned char* out = reinterpret_cast<unsigned char*>(&address);
        for (int i = 0; i < 4; ++i)
        {
            if (bytes[i] > 255) throw std::runtime_error("address is not in reverse notation");
            out[i] = static_cast<unsigned char>(bytes[3 - i]);
        }
        return Ip(address);
    }
    unsigned nibbles[32];
    int offset = 0;
    const char* in = _buffer;
    for (unsigned& nibble : nibbles)
    {
        if (sscanf(in, "%1x.%n", &nibble, &offset) != 1 || offset != 2)
            throw std::runtime_error("address is not in reverse notation");
        in += offset;
    }
    in6_addr address;
    for (int i = 0; i < 16; ++i)
        address.s6_addr[15 - i] =
            static_cast<unsigned char>((nibbles[2 * i + 1] << 4) | nibbles[2 * i]);
    return Ip(address);
}

} // namespace DNS
