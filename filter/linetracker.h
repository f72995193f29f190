#pragma once

#include "filter/linelength.h"

namespace Kestrava
{
namespace Filter
{

/// Passes everything through and measures the current line: "\r", "\n"
/// and NUL start a new one, counted as {1, 1}.
class LineTracker : public LineLength
{
public:
    explicit LineTracker(Result* next) : LineLength(next) {}

    using LineLength::process;

    size_t process(const char* data, size_t size, bool final) override;

    BufferSize size() const override { return _position; }

private:
    BufferSize _position;
};

} // namespace Filter
} // namespace Kestrava
