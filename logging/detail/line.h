#pragma once

#include "logging/priority.h"

#include <string>

namespace Kestrava {
namespace Logging {

/// A line as streams and files show it: the eleven-character priority
/// prefix, "[", the UTC time of now, "] ", the text and a newline.
std::string line(const priority& level, const std::string& text);

} // namespace Logging
} // namespace Kestrava
