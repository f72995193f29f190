#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Filter
{

/**
 * A line length in bytes and in characters (UTF-8 code points). As a limit
 * it is the hard maximum in bytes and the preferred length in characters;
 * as a measure, the bytes and characters of the line being written.
 */
class BufferSize
{
public:
    BufferSize(size_t max = 0, size_t preferred = 0) : max(max), preferred(preferred) {}
    virtual ~BufferSize() = default;

    BufferSize(const BufferSize&) = default;
    BufferSize& operator=(const BufferSize&) = default;

    bool operator==(const BufferSize& other) const
    {
        return max == other.max && preferred == other.preferred;
    }
    bool operator!=(const BufferSize& other) const { return !(*this == other); }

    /// Bytes.
    size_t max;
    /// Characters.
    size_t preferred;
};

} // namespace Filter
} // namespace Kestrava
