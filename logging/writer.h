#pragma once

#include "logging/priority.h"

#include <string>

namespace Kestrava {
namespace Logging {

/// Writes one line somewhere. Called on the log's writer thread only.
class Writer
{
public:
    virtual void write(const priority& level, const std::string& text) = 0;

protected:
    ~Writer() = default;
};

} // namespace Logging
} // namespace Kestrava
