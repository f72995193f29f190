#include "dns/message/reverse.h"

#include "dns/message/ip.h"

#include <cctype>
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

std::runtime_error notReverse()
{
    return std::runtime_error("address is not in reverse notation");
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
    if (version() == 0) throw notReverse();
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
    // Every label is read: a name with labels missing or to spare, or with
    // anything but one number (IPv6: one hex digit) in a label, names no address.
    const char* in = _buffer;
    if (version() == 4)
    {
        in_addr address;
        unsigned char* out = reinterpret_cast<unsigned char*>(&address);
        for (int i = 3; i >= 0; --i)
        {
            unsigned value = 0;
            const char* start = in;
            for (; isdigit(static_cast<unsigned char>(*in)) && in - start < 3; ++in)
                value = value * 10 + unsigned(*in - '0');
            if (in == start || value > 255 || *in != '.') throw notReverse();
            out[i] = static_cast<unsigned char>(value);
            ++in;
        }
        if (strcasecmp(in - 1, ipv4Suffix) != 0) throw notReverse();
        return Ip(address);
    }
    in6_addr address;
    for (int i = 0; i < 32; ++i, in += 2)
    {
        if (!isxdigit(static_cast<unsigned char>(in[0])) || in[1] != '.') throw notReverse();
        unsigned nibble = unsigned(isdigit(static_cast<unsigned char>(in[0]))
                                       ? in[0] - '0'
                                       : tolower(static_cast<unsigned char>(in[0])) - 'a' + 10);
        // The low nibble of the last byte comes first.
        unsigned char& byte = address.s6_addr[15 - i / 2];
        byte = static_cast<unsigned char>(i % 2 == 0 ? nibble : (byte | nibble << 4));
    }
    if (strcasecmp(in - 1, ipv6Suffix) != 0) throw notReverse();
    return Ip(address);
}

} // namespace DNS
