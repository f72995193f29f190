#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Percent-escaping: every byte that is not printable ASCII, or that is in
 * `extra`, becomes "%" and two lowercase hex digits. Nothing is held back.
 */
class HexEncode : public Filter
{
public:
    /// `extra` (may be null; not owned, must outlive the stage) lists
    /// printable characters that are escaped too.
    HexEncode(Result* next, const char* extra) : Filter(next), _extra(extra) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Whether `c` passes unescaped.
    bool allowed(char c) const;

private:
    const char* _extra;
};

} // namespace Filter
} // namespace Kestrava
