#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/// Removes the bytes of a set at the very end of the stream: such bytes are
/// held back until a byte outside the set follows, and never written
/// otherwise.
class Rtrim : public Filter
{
public:
    Rtrim(Result* next, const std::string& set) : Filter(next), _set(set) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    std::string _set;
    std::string _pending;
};

} // namespace Filter
} // namespace Kestrava
