#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/// Cuts the stream into pieces of `width` bytes with a separator between
/// them; never a separator at the end.
class Split : public Filter
{
public:
    /// A width of 0 cuts nothing.
    Split(Result* next, size_t width, const std::string& separator)
        : Filter(next), _width(width), _separator(separator)
    {
    }

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    size_t _width;
    std::string _separator;
    size_t _column = 0;
};

} // namespace Filter
} // namespace Kestrava
