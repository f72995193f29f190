#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/// Removes every byte of a set (the NUL byte always counts as one). A chunk
/// left empty makes no call to the next sink.
class Strip : public Filter
{
public:
    /// `set` is NUL-terminated, not owned, and must outlive the stage.
    Strip(Result* next, const char* set) : Filter(next), _set(set) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    const char* _set;
};

} // namespace Filter
} // namespace Kestrava
