#pragma once

#include <cstddef>

namespace DNS
{

/// One name read from a message, compression pointers followed.
class Decompressed
{
public:
    /// Reads the name at position; the message runs up to end.
    Decompressed(const unsigned char* message, const unsigned char* end,
                 const unsigned char* position);

    /// The name; the root is the empty string.
    const char* name() const { return _name; }
    operator const char*() const { return _name; }
    /// How many bytes the name took at its position in the message.
    size_t consumed() const { return _consumed; }

private:
    char _name[1025];
    size_t _consumed;
};

} // namespace DNS
