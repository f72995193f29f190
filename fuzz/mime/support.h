#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

/// The input in a heap block of exactly its size, so that the address
/// sanitizer reports any read at or past its end.
inline std::unique_ptr<char[]> exactCopy(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> copy(new char[size]);
    if (size > 0) std::memcpy(copy.get(), data, size);
    return copy;
}
