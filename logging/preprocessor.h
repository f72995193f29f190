#pragma once

#include "logging/priority.h"

#include <string>

namespace Kestrava {
namespace Logging {

class Writer;

/**
 * May change, drop or multiply a line before it is written: passes what it
 * keeps to the writer's write(). Called on the log's writer thread only;
 * the writer and the text belong to the caller and live for the call.
 */
class Preprocessor
{
public:
    virtual void preprocess(Writer* writer, const priority& level, const std::string& text) = 0;

protected:
    ~Preprocessor() = default;
};

} // namespace Logging
} // namespace Kestrava
