#pragma once

#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

/**
 * Runs Debian's Python on every input: `module` is Python source that
 * defines `apply(data: bytes) -> bytes`. Returns the results in order;
 * throws std::runtime_error with Python's output when it fails.
 */
std::vector<std::string> python(const std::string& module, const std::vector<std::string>& inputs);

/// The same for one input.
std::string python(const std::string& module, const std::string& input);

} // namespace Check
} // namespace Filter
} // namespace Kestrava
