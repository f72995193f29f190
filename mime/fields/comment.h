#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

/// One parenthesised comment, nested ones and escapes included, at the
/// start of a text; nothing when the text does not start with "(".
class Comment
{
public:
    /// Throws std::runtime_error "unfinished comment" or "invalid comment
    /// (escaped character missing after backslash)".
    Comment(const char* data, size_t size);
    virtual ~Comment() = default;

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
