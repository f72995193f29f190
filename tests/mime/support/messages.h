#pragma once

#include <string>
#include <vector>

namespace Kestrava
{
namespace Test
{

/// Messages with CR LF line ends that exercise canonicalisation: a nested
/// multipart, a folded Subject, a signature separator line, an 8-bit
/// Subject. Index 3 is the 8-bit one.
const std::vector<std::string>& dkimMessages();

} // namespace Test
} // namespace Kestrava
