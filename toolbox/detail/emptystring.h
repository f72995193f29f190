#pragma once

#include <string>

namespace Kestrava {
namespace Toolbox {

/// The empty text that lookups of something missing return a reference to.
const std::string& emptyString();

} // namespace Toolbox
} // namespace Kestrava
