#pragma once

#include <cstddef>
#include <istream>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/// Reads `stream` in blocks of up to 4096 bytes while it stays good and
/// hands each non-empty block to `take`; returns the sum of its results.
template <typename Take> size_t readBlocks(std::istream& stream, Take take)
{
    if (!stream.good()) return 0;
    char block[4096];
    size_t total = 0;
    do
    {
        stream.read(block, sizeof block);
        auto count = static_cast<size_t>(stream.gcount());
        // A stream whose length is a multiple of the block size ends with an
        // empty read; sinks need not see it.
        if (count > 0) total += take(block, count);
    } while (stream.good());
    return total;
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
