#pragma once

#include <cstddef>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

/// Input that cannot be a message at all.
class FatalError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// A malformed header line; `size` is the number of input bytes it takes,
/// so that a caller can skip it.
class ParseError : public std::runtime_error
{
public:
    ParseError(const char* message, size_t size) : std::runtime_error(message), size(size) {}
    size_t size;
};

/// The blank line that ends a header block, or the end of the input: `size`
/// covers the bytes up to and including the first LF, all bytes when there
/// is none, none when nothing remains.
class EmptyLine : public std::runtime_error
{
public:
    EmptyLine(const char* data, size_t available);
    const char* data;
    size_t size;
};

} // namespace Mime
} // namespace Kestrava
