#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Filter
{
class LineLength;
}
namespace Mime
{

class Capabilities;
class Encodable;

namespace detail
{

/// Writes the element's Result form through a word wrap that continues the
/// line of `output` and folds at the capabilities' limits.
size_t wrapped(const Encodable& element, const Capabilities& capabilities,
               Filter::LineLength* output, bool final);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
