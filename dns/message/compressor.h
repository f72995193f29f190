#pragma once

namespace DNS
{

/// The name-compression state of one message being written: the names
/// written so far, which later names may point back to (RFC 1035 4.1.4).
class Compressor
{
public:
    /// Copyable within one message, to take back a name that was written.
    explicit Compressor(unsigned char* message);

    /// Compresses a name into the destination; the number of bytes written,
    /// or a negative value when it does not fit or is not a valid name.
    int add(const char* name, unsigned char* destination, int space);

private:
    // The message start, then the names written so far, null-terminated.
    const unsigned char* _pointers[20];
};

} // namespace DNS
