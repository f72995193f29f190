#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// The fuzzer's input: a place to cut at (from the first two bytes) and
/// the text after them.
struct CutInput
{
    CutInput(const uint8_t* data, size_t size)
    {
        size_t skip = size < 2 ? size : 2;
        text.assign(reinterpret_cast<const char*>(data) + skip, size - skip);
        size_t choice = size < 2 ? 0 : size_t(data[0]) << 8 | data[1];
        cut = choice % (text.size() + 1);
    }

    std::string text;
    size_t cut;
};
