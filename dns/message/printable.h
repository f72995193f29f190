#pragma once

#include <cstddef>
#include <iosfwd>

namespace DNS
{

class Ip;

/// The text form of an address, in a fixed buffer (no heap allocation).
class Printable
{
public:
    explicit Printable(const Ip& ip);

    const char* data() const { return _buffer; }
    size_t size() const;
    operator const char*() const { return _buffer; }

private:
    // Room for INET6_ADDRSTRLEN.
    char _buffer[46];
};

std::ostream& operator<<(std::ostream& stream, const Printable& printable);

} // namespace DNS
