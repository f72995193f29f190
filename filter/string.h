#pragma once

#include "filter/result.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/// The sink that appends everything to a caller-owned string.
class String : public Result
{
public:
    /// `target` must outlive the sink.
    explicit String(std::string* target) : _target(target) {}

    using Result::append;

    /// Appends the bytes; std::length_error when the string would outgrow
    /// its maximum size.
    size_t append(const char* data, size_t size, bool final) override;

private:
    std::string* _target;
};

} // namespace Filter
} // namespace Kestrava
