#pragma once

#include "filter/buffersize.h"
#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/// A stage that knows how long the output line it is writing is.
class LineLength : public Filter
{
public:
    using Filter::Filter;

    /// The bytes and characters of the current output line.
    virtual BufferSize size() const = 0;
};

} // namespace Filter
} // namespace Kestrava
