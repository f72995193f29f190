#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

/// The folding white space, and when allowed the comments, at the start of
/// a text (CFWS). Throws the errors of Comment for a broken comment.
class Whitespace
{
public:
    Whitespace(const char* data, size_t size, bool comments);
    virtual ~Whitespace() = default;

    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
