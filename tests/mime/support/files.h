#pragma once

#include <string>
#include <vector>

namespace Kestrava
{
namespace Test
{

/// The names of the files in the folder that start with `prefix` and end
/// with `suffix`, sorted; none when the folder cannot be read.
std::vector<std::string> filesIn(const std::string& folder, const std::string& prefix,
                                 const std::string& suffix);

/// The bytes of the file.
std::string fileContents(const std::string& path);

} // namespace Test
} // namespace Kestrava
