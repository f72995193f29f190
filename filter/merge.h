#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/// Replaces each run of bytes of a set by one copy of a replacement, also
/// when the run spans chunks.
class Merge : public Filter
{
public:
    Merge(Result* next, const std::string& set, const std::string& replacement)
        : Filter(next), _set(set), _replacement(replacement)
    {
    }

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    std::string _set;
    std::string _replacement;
    bool _inRun = false;
};

} // namespace Filter
} // namespace Kestrava
