#pragma once

#include "filter/detail/output.h"

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/// Writes `marker` and the byte's two hex digits from `digits`.
inline void writeEscape(Output& output, char marker, char byte, const char* digits)
{
    auto value = static_cast<unsigned char>(byte);
    const char escape[3] = {marker, digits[value >> 4], digits[value & 15]};
    output.add(escape, sizeof escape);
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
