#pragma once

#include <string>

namespace Kestrava
{
namespace Browse
{
namespace detail
{

/// A name from a peer made safe as a file name: what follows its last "/"
/// or "\", without NUL and control bytes (below 0x20, and 0x7F); empty when
/// that is empty, "." or "..", so that it can never leave a folder.
std::string pathComponent(const std::string& name);

} // namespace detail
} // namespace Browse
} // namespace Kestrava
