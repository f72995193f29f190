#pragma once

#include <cstddef>
#include <cstdint>

namespace DNS
{

/// A growable byte buffer into which record data is written in canonical
/// form (RFC 4034 6.2) for signature checks.
class Canonicalizer
{
public:
    Canonicalizer() = default;
    Canonicalizer(const Canonicalizer&) = delete;
    Canonicalizer& operator=(const Canonicalizer&) = delete;
    ~Canonicalizer();

    /// Grows the capacity by the larger of 4096 and bytes; false when memory runs out.
    bool reserve(size_t bytes);
    /// Appends a 32-bit value, big-endian; false when memory runs out.
    bool add32(uint32_t value);
    /// Appends bytes; false when memory runs out.
    bool add(const unsigned char* bytes, size_t size);

    const unsigned char* data() const { return _data; }
    size_t size() const { return _size; }

private:
    unsigned char* _data = nullptr;
    size_t _capacity = 0;
    size_t _size = 0;
};

} // namespace DNS
