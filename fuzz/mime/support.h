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

/// Whether the text is well-formed UTF-8 (no overlong forms, surrogates
/// or code points past U+10FFFF): the charset stages drop what is not, so
/// only such text survives being written and read again.
inline bool wellFormed(const std::string& text)
{
    size_t i = 0;
    while (i < text.size())
    {
        unsigned char c = text[i];
        size_t length = c < 0x80   ? 1
                        : c < 0xC2 ? 0
                        : c < 0xE0 ? 2
                        : c < 0xF0 ? 3
                        : c < 0xF5 ? 4
                                   : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t j = 1; j < length; ++j)
            if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80) return false;
        unsigned char second = length > 1 ? text[i + 1] : 0;
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second >= 0xA0) ||
            (c == 0xF0 && second < 0x90) || (c == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}
