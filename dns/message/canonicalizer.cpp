#include "dns/message/canonicalizer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace DNS
{

Canonicalizer::~Canonicalizer()
{
    free(_data);
}

bool Canonicalizer::reserve(size_t bytes)
{
    size_t capacity = _capacity + std::max<size_t>(4096, bytes);
    auto* data = static_cast<unsigned char*>(realloc(_data, capacity));
    if (!data) return false;
    _data = data;
    _capacity = capacity;
    return true;
}

bool Canonicalizer::add32(uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
        static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    return add(bytes, sizeof bytes);
}

bool Canonicalizer::add(const unsigned char* bytes, size_t size)
{
    if (_capacity - _size < size && !reserve(size)) return false;
    if (size > 0) memcpy(_data + _size, bytes, size);
    _size += size;
    return true;
}

} // namespace DNS
