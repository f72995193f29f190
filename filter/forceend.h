#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/// Makes the output end with a text: its destructor writes the part of the
/// text that the output does not end with yet (all of it after no output).
class ForceEnd : public Filter
{
public:
    /// `end` is NUL-terminated, not owned, and must outlive the chain.
    ForceEnd(Result* next, const char* end);
    ~ForceEnd() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    /// Whether the output, `data` behind what went before, ends with the
    /// first `count` bytes of the end text.
    bool endsWith(const char* data, size_t size, size_t count) const;

    const char* _end;
    size_t _length;
    size_t _matched = 0;
};

} // namespace Filter
} // namespace Kestrava
