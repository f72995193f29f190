#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * A byte sink at the end of (or inside) a chain of filters.
 *
 * Every append returns the number of bytes that the final sink(s) took as a
 * result of the call. The flag `final` says that the bytes stay valid and
 * unchanged for as long as the receiving chain lives, so that a sink may
 * keep a pointer to them instead of a copy.
 */
class Result
{
public:
    virtual ~Result() = default;

    /// Takes `size` bytes at `data`.
    virtual size_t append(const char* data, size_t size, bool final) = 0;

    /// Takes the string's bytes (not final).
    virtual size_t append(const std::string& text);

    /// Takes the stream's bytes in blocks of up to 4096 while the stream
    /// stays good; 0 for a stream that is not good to begin with.
    virtual size_t append(std::istream& stream);

    /// Takes one byte (not final).
    virtual size_t append(char byte);

    /// Writes whatever a stage holds back and passes the flush on.
    virtual size_t flush();
};

} // namespace Filter
} // namespace Kestrava
