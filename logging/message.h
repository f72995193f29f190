#pragma once

#include "logging/priority.h"

#include <string>

namespace Kestrava {
namespace Logging {

/// One queued line.
struct Message
{
    priority _priority;
    std::string _text;
};

} // namespace Logging
} // namespace Kestrava
